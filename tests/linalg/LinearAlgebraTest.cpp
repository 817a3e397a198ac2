// The LAPACK/BLAS wrapper on small matrices whose results are worked out by hand
// or checked by their defining identities.
#include "linalg/LinearAlgebra.h"

#include <cmath>

#include <gtest/gtest.h>

namespace Opt {
namespace {

using namespace Linalg;

constexpr double kTolerance = 1e-12;

void expectNear(const Matrix& actual, const Matrix& expected, double tolerance = kTolerance)
{
    ASSERT_EQ(actual.rows(), expected.rows());
    ASSERT_EQ(actual.columns(), expected.columns());
    for (int r = 0; r < actual.rows(); ++r) {
        for (int c = 0; c < actual.columns(); ++c) {
            EXPECT_NEAR(actual(r, c), expected(r, c), tolerance) << "(" << r << ", " << c << ")";
        }
    }
}

TEST(Matrix, RowsAndColumnsKeepTheirMeaningThroughTheColumnLayout)
{
    const Matrix a = Matrix::fromRows({{1, 2, 3}, {4, 5, 6}});
    EXPECT_EQ(a(0, 2), 3.0);
    EXPECT_EQ(a(1, 0), 4.0);
    EXPECT_EQ(a.data()[1], 4.0) << "column-major storage";
    EXPECT_EQ(a.row(1), (std::vector<double>{4, 5, 6}));
    EXPECT_EQ(a.column(2), (std::vector<double>{3, 6}));
    EXPECT_EQ(a.transposed().toRows(), (std::vector<std::vector<double>>{{1, 4}, {2, 5}, {3, 6}}));
}

TEST(LinearAlgebra, ProductsWithAndWithoutTransposes)
{
    const Matrix a = Matrix::fromRows({{1, 2, 3}, {4, 5, 6}});
    const Matrix b = Matrix::fromRows({{1, 0}, {0, 1}, {2, -1}});
    expectNear(multiply(a, b), Matrix::fromRows({{7, -1}, {16, -1}}));
    expectNear(multiply(a, a, Transpose::No, Transpose::Yes), Matrix::fromRows({{14, 32}, {32, 77}}));
    expectNear(multiply(a, a, Transpose::Yes, Transpose::No),
               Matrix::fromRows({{17, 22, 27}, {22, 29, 36}, {27, 36, 45}}));
    EXPECT_EQ(multiply(a, std::vector<double>{1, 1, 1}), (std::vector<double>{6, 15}));
    EXPECT_EQ(multiply(a, std::vector<double>{1, -1}, Transpose::Yes), (std::vector<double>{-3, -3, -3}));
}

TEST(LinearAlgebra, GeneralInverseAndSingularMatrix)
{
    Matrix a = Matrix::fromRows({{4, 7}, {2, 6}});
    ASSERT_TRUE(invertGeneral(a).ok());
    expectNear(a, Matrix::fromRows({{0.6, -0.7}, {-0.2, 0.4}}));

    Matrix singular = Matrix::fromRows({{1, 2}, {2, 4}});
    const LinalgStatus status = invertGeneral(singular);
    EXPECT_GT(status.info, 0);
    EXPECT_EQ(status.message, "dgetrf: the matrix is exactly singular (info 2)");
}

TEST(LinearAlgebra, CholeskyFactorAndItsTriangularInverse)
{
    // A = L L^T with L = [[2, 0], [1, 3]].
    Matrix a = Matrix::fromRows({{4, 2}, {2, 10}});
    ASSERT_TRUE(choleskyFactor(a).ok());
    expectNear(a, Matrix::fromRows({{2, 0}, {1, 3}}));
    ASSERT_TRUE(invertLowerTriangular(a).ok());
    expectNear(a, Matrix::fromRows({{0.5, 0}, {-1.0 / 6.0, 1.0 / 3.0}}));

    Matrix indefinite = Matrix::fromRows({{1, 2}, {2, 1}});
    const LinalgStatus status = choleskyFactor(indefinite);
    EXPECT_EQ(status.info, 2);
    EXPECT_FALSE(status.message.empty());
}

TEST(LinearAlgebra, SymmetricIndefiniteInverse)
{
    const Matrix original = Matrix::fromRows({{0, 1, 2}, {1, -3, 0}, {2, 0, 5}});
    Matrix inverse = original;
    ASSERT_TRUE(invertSymmetric(inverse).ok());
    expectNear(multiply(original, inverse), Matrix::identity(3));
    EXPECT_EQ(inverse(0, 2), inverse(2, 0)) << "both triangles are filled";

    Matrix singular = Matrix::fromRows({{1, 1}, {1, 1}});
    EXPECT_GT(invertSymmetric(singular).info, 0);
}

TEST(LinearAlgebra, PseudoInverseOfARankDeficientMatrixMeetsThePenroseConditions)
{
    // Rank 2: the third row is the sum of the first two.
    const Matrix a = Matrix::fromRows({{1, 2, 0, 1}, {0, 1, 1, 0}, {1, 3, 1, 1}});
    Matrix pinv;
    int rank = 0;
    ASSERT_TRUE(pseudoInverse(a, 1e-3, pinv, &rank).ok());
    EXPECT_EQ(rank, 2);
    ASSERT_EQ(pinv.rows(), 4);
    ASSERT_EQ(pinv.columns(), 3);
    const double tolerance = 1e-10;
    expectNear(multiply(multiply(a, pinv), a), a, tolerance);
    expectNear(multiply(multiply(pinv, a), pinv), pinv, tolerance);
    const Matrix ap = multiply(a, pinv);
    expectNear(ap, ap.transposed(), tolerance);
    const Matrix pa = multiply(pinv, a);
    expectNear(pa, pa.transposed(), tolerance);
}

TEST(LinearAlgebra, PseudoInverseThresholdIsAbsolute)
{
    // Singular values 2 and 5e-4: the small one falls below 1e-3 and is dropped.
    const Matrix a = Matrix::fromRows({{2, 0}, {0, 5e-4}});
    Matrix pinv;
    int rank = 0;
    ASSERT_TRUE(pseudoInverse(a, 1e-3, pinv, &rank).ok());
    EXPECT_EQ(rank, 1);
    expectNear(pinv, Matrix::fromRows({{0.5, 0}, {0, 0}}));
}

TEST(LinearAlgebra, SymmetricEigenDecompositionRebuildsTheMatrix)
{
    // Eigenvalues -1 and 3 (an indefinite matrix), in ascending order.
    const Matrix a = Matrix::fromRows({{1, 2}, {2, 1}});
    const SymmetricEigenDecomposition eigen = decomposeSymmetricEigen(a);
    ASSERT_TRUE(eigen.status.ok());
    ASSERT_EQ(eigen.values.size(), 2u);
    EXPECT_NEAR(eigen.values[0], -1.0, kTolerance);
    EXPECT_NEAR(eigen.values[1], 3.0, kTolerance);
    Matrix scaled = eigen.vectors;
    for (int c = 0; c < 2; ++c) {
        for (int r = 0; r < 2; ++r) {
            scaled(r, c) *= eigen.values[static_cast<std::size_t>(c)];
        }
    }
    expectNear(multiply(scaled, eigen.vectors, Transpose::No, Transpose::Yes), a);
    expectNear(multiply(eigen.vectors, eigen.vectors, Transpose::Yes), Matrix::identity(2));
}

TEST(LinearAlgebra, EmptyMatricesAreHarmless)
{
    Matrix empty;
    EXPECT_TRUE(invertGeneral(empty).ok());
    EXPECT_TRUE(choleskyFactor(empty).ok());
    EXPECT_TRUE(invertSymmetric(empty).ok());
    EXPECT_TRUE(decomposeSymmetricEigen(empty).status.ok());
    Matrix pinv;
    EXPECT_TRUE(pseudoInverse(Matrix(0, 3), 1e-3, pinv).ok());
    EXPECT_EQ(pinv.rows(), 3);
}

} // namespace
} // namespace Opt
