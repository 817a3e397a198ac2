#include "linalg/Matrix.h"

#include <cassert>

namespace Opt {

Matrix::Matrix(int rows, int columns, double fill)
    : nRows(rows), nColumns(columns),
      values(static_cast<std::size_t>(rows) * static_cast<std::size_t>(columns), fill)
{
    assert(rows >= 0 && columns >= 0);
}

Matrix Matrix::identity(int size)
{
    Matrix result(size, size);
    for (int i = 0; i < size; ++i) {
        result(i, i) = 1.0;
    }
    return result;
}

Matrix Matrix::fromRows(const std::vector<std::vector<double>>& rowList)
{
    const int rowCount = static_cast<int>(rowList.size());
    const int columnCount = rowCount == 0 ? 0 : static_cast<int>(rowList.front().size());
    Matrix result(rowCount, columnCount);
    for (int r = 0; r < rowCount; ++r) {
        assert(static_cast<int>(rowList[static_cast<std::size_t>(r)].size()) == columnCount);
        for (int c = 0; c < columnCount; ++c) {
            result(r, c) = rowList[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)];
        }
    }
    return result;
}

std::vector<double> Matrix::row(int r) const
{
    std::vector<double> result(static_cast<std::size_t>(nColumns));
    for (int c = 0; c < nColumns; ++c) {
        result[static_cast<std::size_t>(c)] = (*this)(r, c);
    }
    return result;
}

std::vector<double> Matrix::column(int c) const
{
    const auto first = values.begin() + static_cast<std::ptrdiff_t>(index(0, c));
    return std::vector<double>(first, first + nRows);
}

std::vector<std::vector<double>> Matrix::toRows() const
{
    std::vector<std::vector<double>> result;
    result.reserve(static_cast<std::size_t>(nRows));
    for (int r = 0; r < nRows; ++r) {
        result.push_back(row(r));
    }
    return result;
}

Matrix Matrix::transposed() const
{
    Matrix result(nColumns, nRows);
    for (int c = 0; c < nColumns; ++c) {
        for (int r = 0; r < nRows; ++r) {
            result(c, r) = (*this)(r, c);
        }
    }
    return result;
}

bool Matrix::operator==(const Matrix& other) const
{
    return nRows == other.nRows && nColumns == other.nColumns && values == other.values;
}

} // namespace Opt
