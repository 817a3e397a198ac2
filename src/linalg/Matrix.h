#pragma once

#include <cstddef>
#include <vector>

namespace Opt {

// A dense matrix of doubles stored column by column, the layout LAPACK and BLAS
// work in, so that the wrapper hands the storage over without copying. Element
// (row, column) is at data()[column * rows() + row]. Every conversion between
// row-wise lists and this layout happens here.
class Matrix {
public:
    Matrix() = default;
    Matrix(int rows, int columns, double fill = 0.0);

    static Matrix identity(int size);
    // Each inner vector is one row; all rows must have the same length.
    static Matrix fromRows(const std::vector<std::vector<double>>& rows);

    int rows() const { return nRows; }
    int columns() const { return nColumns; }
    bool empty() const { return nRows == 0 || nColumns == 0; }

    double& operator()(int row, int column) { return values[index(row, column)]; }
    double operator()(int row, int column) const { return values[index(row, column)]; }

    double* data() { return values.data(); }
    const double* data() const { return values.data(); }

    std::vector<double> row(int row) const;
    std::vector<double> column(int column) const;
    std::vector<std::vector<double>> toRows() const;
    Matrix transposed() const;

    bool operator==(const Matrix& other) const;

private:
    std::size_t index(int row, int column) const
    {
        return static_cast<std::size_t>(column) * static_cast<std::size_t>(nRows) + static_cast<std::size_t>(row);
    }

    int nRows = 0;
    int nColumns = 0;
    std::vector<double> values;
};

} // namespace Opt
