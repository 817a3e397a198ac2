#pragma once

#include <string>
#include <vector>

#include "linalg/Matrix.h"

// The one thin wrapper over LAPACK and BLAS. No other module declares a Fortran
// symbol or writes a factorisation of its own. Each routine checks LAPACK's info
// code and turns it into a LinalgStatus whose message names the routine and says
// what the code means; nothing here throws.
namespace Opt::Linalg {

struct LinalgStatus {
    int info = 0;          // LAPACK's info: 0 success, < 0 bad argument, > 0 numerical failure
    std::string message;   // empty on success
    bool ok() const { return info == 0; }
};

enum class Transpose { No, Yes };

// C = op(A) * op(B) (dgemm). The inner dimensions must agree (asserted).
Matrix multiply(const Matrix& a, const Matrix& b, Transpose ta = Transpose::No,
                Transpose tb = Transpose::No);

// y = op(A) * x (dgemv).
std::vector<double> multiply(const Matrix& a, const std::vector<double>& x,
                             Transpose ta = Transpose::No);

// C = op(A) * op(B) (dgemm) into a C already of the product's size: no
// allocation, for loops that repeat the product with the same shapes.
void multiplyInto(const Matrix& a, const Matrix& b, Transpose ta, Transpose tb, Matrix& c);

// y = op(A) * x (dgemv) into a y already of the product's length.
void multiplyInto(const Matrix& a, const std::vector<double>& x, Transpose ta,
                  std::vector<double>& y);

// B = L^-1 B in place (dtrsm, left side, lower, no transpose), L lower triangular
// in the lower triangle of l (as choleskyFactor leaves it).
LinalgStatus solveLowerTriangular(const Matrix& l, Matrix& b);

// Singular value decomposition A = U diag(s) V^T (dgesvd, thin form).
struct SingularValueDecomposition {
    Matrix u;                         // rows(A) x k
    std::vector<double> singularValues; // k = min(rows, columns), descending
    Matrix vTransposed;               // k x columns(A)
    LinalgStatus status;
};
SingularValueDecomposition decomposeSingularValues(const Matrix& a);

// Moore-Penrose pseudo-inverse from the SVD; singular values not above the
// absolute threshold count as zero. `rank` receives the number kept when given.
LinalgStatus pseudoInverse(const Matrix& a, double threshold, Matrix& inverse,
                           int* rank = nullptr);

// Eigendecomposition of a symmetric matrix A = Q diag(lambda) Q^T (dsyevd, divide
// and conquer, reading the lower triangle). The singular values of a symmetric
// matrix are the |lambda| with Q's columns (up to sign) as singular vectors, so
// this is also its singular value decomposition, at a fraction of dgesvd's cost.
struct SymmetricEigenDecomposition {
    Matrix vectors;              // n x n; column j belongs to values[j]
    std::vector<double> values;  // ascending
    LinalgStatus status;
};
SymmetricEigenDecomposition decomposeSymmetricEigen(const Matrix& a);

// In-place inverse of a general square matrix by LU factorisation (dgetrf, dgetri).
LinalgStatus invertGeneral(Matrix& a);

// In-place Cholesky factorisation of a symmetric positive definite matrix (dpotrf):
// on success the lower triangle holds L with A = L L^T and the strict upper
// triangle is set to zero.
LinalgStatus choleskyFactor(Matrix& a);

// In-place inverse of a symmetric positive definite matrix from its Cholesky
// factor L held in the lower triangle (dpotri); both triangles of the result are
// filled.
LinalgStatus invertFromCholesky(Matrix& a);

// In-place inverse of a lower-triangular matrix held in the lower triangle, done
// in packed storage (dtptri); the strict upper triangle is set to zero.
LinalgStatus invertLowerTriangular(Matrix& a);

// In-place inverse of a symmetric (possibly indefinite) matrix by Bunch-Kaufman
// factorisation (dsytrf, dsytri); both triangles of the result are filled.
LinalgStatus invertSymmetric(Matrix& a);

} // namespace Opt::Linalg
