#include "linalg/LinearAlgebra.h"

#include <algorithm>
#include <cassert>
#include <cstddef>

// Fortran LAPACK/BLAS entry points. gfortran passes the length of every CHARACTER
// argument as a hidden size_t after the visible arguments; passing them keeps the
// calls correct whichever provider the system links.
extern "C" {
void dgemm_(const char* transa, const char* transb, const int* m, const int* n, const int* k,
            const double* alpha, const double* a, const int* lda, const double* b, const int* ldb,
            const double* beta, double* c, const int* ldc, std::size_t, std::size_t);
void dgemv_(const char* trans, const int* m, const int* n, const double* alpha, const double* a,
            const int* lda, const double* x, const int* incx, const double* beta, double* y,
            const int* incy, std::size_t);
void dgesvd_(const char* jobu, const char* jobvt, const int* m, const int* n, double* a,
             const int* lda, double* s, double* u, const int* ldu, double* vt, const int* ldvt,
             double* work, const int* lwork, int* info, std::size_t, std::size_t);
void dsyevd_(const char* jobz, const char* uplo, const int* n, double* a, const int* lda,
             double* w, double* work, const int* lwork, int* iwork, const int* liwork, int* info,
             std::size_t, std::size_t);
void dgetrf_(const int* m, const int* n, double* a, const int* lda, int* ipiv, int* info);
void dgetri_(const int* n, double* a, const int* lda, const int* ipiv, double* work,
             const int* lwork, int* info);
void dpotrf_(const char* uplo, const int* n, double* a, const int* lda, int* info, std::size_t);
void dtrsm_(const char* side, const char* uplo, const char* transa, const char* diag, const int* m,
            const int* n, const double* alpha, const double* a, const int* lda, double* b,
            const int* ldb, std::size_t, std::size_t, std::size_t, std::size_t);
void dpotri_(const char* uplo, const int* n, double* a, const int* lda, int* info, std::size_t);
void dtptri_(const char* uplo, const char* diag, const int* n, double* ap, int* info, std::size_t,
             std::size_t);
void dsytrf_(const char* uplo, const int* n, double* a, const int* lda, int* ipiv, double* work,
             const int* lwork, int* info, std::size_t);
void dsytri_(const char* uplo, const int* n, double* a, const int* lda, const int* ipiv,
             double* work, int* info, std::size_t);
}

namespace Opt::Linalg {

namespace {

LinalgStatus statusOf(const char* routine, int info, const char* positiveMeaning)
{
    LinalgStatus status;
    status.info = info;
    if (info < 0) {
        status.message = std::string(routine) + ": argument " + std::to_string(-info) +
                         " has an illegal value";
    } else if (info > 0) {
        status.message = std::string(routine) + ": " + positiveMeaning + " (info " +
                         std::to_string(info) + ")";
    }
    return status;
}

int leadingDimension(const Matrix& a)
{
    return std::max(1, a.rows());
}

void clearStrictUpperTriangle(Matrix& a)
{
    for (int c = 1; c < a.columns(); ++c) {
        for (int r = 0; r < c && r < a.rows(); ++r) {
            a(r, c) = 0.0;
        }
    }
}

int workspaceSize(double query)
{
    return std::max(1, static_cast<int>(query));
}

} // namespace

Matrix multiply(const Matrix& a, const Matrix& b, Transpose ta, Transpose tb)
{
    const int m = ta == Transpose::Yes ? a.columns() : a.rows();
    const int n = tb == Transpose::Yes ? b.rows() : b.columns();
    Matrix c(m, n);
    multiplyInto(a, b, ta, tb, c);
    return c;
}

void multiplyInto(const Matrix& a, const Matrix& b, Transpose ta, Transpose tb, Matrix& c)
{
    const bool transA = ta == Transpose::Yes;
    const bool transB = tb == Transpose::Yes;
    const int m = transA ? a.columns() : a.rows();
    const int k = transA ? a.rows() : a.columns();
    const int kb = transB ? b.columns() : b.rows();
    const int n = transB ? b.rows() : b.columns();
    assert(k == kb);
    (void)kb;
    assert(c.rows() == m && c.columns() == n);
    if (m == 0 || n == 0) {
        return;
    }
    if (k == 0) {
        c = Matrix(m, n);
        return;
    }
    const char opA = transA ? 'T' : 'N';
    const char opB = transB ? 'T' : 'N';
    const double one = 1.0;
    const double zero = 0.0;
    const int lda = leadingDimension(a);
    const int ldb = leadingDimension(b);
    const int ldc = leadingDimension(c);
    dgemm_(&opA, &opB, &m, &n, &k, &one, a.data(), &lda, b.data(), &ldb, &zero, c.data(), &ldc,
           1, 1);
}

std::vector<double> multiply(const Matrix& a, const std::vector<double>& x, Transpose ta)
{
    const int resultSize = ta == Transpose::Yes ? a.columns() : a.rows();
    std::vector<double> y(static_cast<std::size_t>(resultSize), 0.0);
    multiplyInto(a, x, ta, y);
    return y;
}

void multiplyInto(const Matrix& a, const std::vector<double>& x, Transpose ta,
                  std::vector<double>& y)
{
    const bool trans = ta == Transpose::Yes;
    assert(static_cast<int>(x.size()) == (trans ? a.rows() : a.columns()));
    assert(static_cast<int>(y.size()) == (trans ? a.columns() : a.rows()));
    if (a.empty()) {
        std::fill(y.begin(), y.end(), 0.0);
        return;
    }
    const char op = trans ? 'T' : 'N';
    const int m = a.rows();
    const int n = a.columns();
    const double one = 1.0;
    const double zero = 0.0;
    const int lda = leadingDimension(a);
    const int inc = 1;
    dgemv_(&op, &m, &n, &one, a.data(), &lda, x.data(), &inc, &zero, y.data(), &inc, 1);
}

LinalgStatus solveLowerTriangular(const Matrix& l, Matrix& b)
{
    assert(l.rows() == l.columns() && l.rows() == b.rows());
    const int m = b.rows();
    const int n = b.columns();
    if (m == 0 || n == 0) {
        return {};
    }
    const char left = 'L';
    const char lower = 'L';
    const char noTranspose = 'N';
    const char nonUnit = 'N';
    const double one = 1.0;
    const int lda = leadingDimension(l);
    const int ldb = leadingDimension(b);
    // dtrsm has no info code; a zero on the diagonal would divide by zero, so it
    // is refused here.
    for (int i = 0; i < m; ++i) {
        if (l(i, i) == 0.0) {
            return statusOf("dtrsm", i + 1, "the triangular matrix has a zero diagonal entry");
        }
    }
    dtrsm_(&left, &lower, &noTranspose, &nonUnit, &m, &n, &one, l.data(), &lda, b.data(), &ldb, 1,
           1, 1, 1);
    return {};
}

SingularValueDecomposition decomposeSingularValues(const Matrix& a)
{
    SingularValueDecomposition svd;
    const int m = a.rows();
    const int n = a.columns();
    const int k = std::min(m, n);
    svd.u = Matrix(m, k);
    svd.vTransposed = Matrix(k, n);
    svd.singularValues.assign(static_cast<std::size_t>(k), 0.0);
    if (k == 0) {
        return svd;
    }
    Matrix work = a; // dgesvd destroys its input
    const char job = 'S';
    const int lda = leadingDimension(work);
    const int ldu = leadingDimension(svd.u);
    const int ldvt = std::max(1, k);
    int info = 0;
    int lwork = -1;
    double query = 0.0;
    dgesvd_(&job, &job, &m, &n, work.data(), &lda, svd.singularValues.data(), svd.u.data(), &ldu,
            svd.vTransposed.data(), &ldvt, &query, &lwork, &info, 1, 1);
    if (info == 0) {
        lwork = workspaceSize(query);
        std::vector<double> workspace(static_cast<std::size_t>(lwork));
        dgesvd_(&job, &job, &m, &n, work.data(), &lda, svd.singularValues.data(), svd.u.data(),
                &ldu, svd.vTransposed.data(), &ldvt, workspace.data(), &lwork, &info, 1, 1);
    }
    svd.status = statusOf("dgesvd", info, "the singular value iteration did not converge");
    return svd;
}

LinalgStatus pseudoInverse(const Matrix& a, double threshold, Matrix& inverse, int* rank)
{
    const SingularValueDecomposition svd = decomposeSingularValues(a);
    inverse = Matrix(a.columns(), a.rows());
    int kept = 0;
    if (svd.status.ok()) {
        // A+ = V diag(1/s) U^T over the singular values above the threshold.
        for (std::size_t i = 0; i < svd.singularValues.size(); ++i) {
            const double s = svd.singularValues[i];
            if (s <= threshold) {
                continue;
            }
            ++kept;
            const int col = static_cast<int>(i);
            for (int r = 0; r < a.columns(); ++r) {
                const double v = svd.vTransposed(col, r) / s;
                for (int c = 0; c < a.rows(); ++c) {
                    inverse(r, c) += v * svd.u(c, col);
                }
            }
        }
    }
    if (rank != nullptr) {
        *rank = kept;
    }
    return svd.status;
}

SymmetricEigenDecomposition decomposeSymmetricEigen(const Matrix& a)
{
    assert(a.rows() == a.columns());
    SymmetricEigenDecomposition eigen;
    const int n = a.rows();
    eigen.vectors = a; // dsyevd overwrites its input with the eigenvectors
    eigen.values.assign(static_cast<std::size_t>(n), 0.0);
    if (n == 0) {
        return eigen;
    }
    const char vectors = 'V';
    const char lower = 'L';
    const int lda = leadingDimension(eigen.vectors);
    int info = 0;
    int lwork = -1;
    int liwork = -1;
    double query = 0.0;
    int integerQuery = 0;
    dsyevd_(&vectors, &lower, &n, eigen.vectors.data(), &lda, eigen.values.data(), &query, &lwork,
            &integerQuery, &liwork, &info, 1, 1);
    if (info == 0) {
        lwork = workspaceSize(query);
        liwork = std::max(1, integerQuery);
        std::vector<double> workspace(static_cast<std::size_t>(lwork));
        std::vector<int> integerWorkspace(static_cast<std::size_t>(liwork));
        dsyevd_(&vectors, &lower, &n, eigen.vectors.data(), &lda, eigen.values.data(),
                workspace.data(), &lwork, integerWorkspace.data(), &liwork, &info, 1, 1);
    }
    eigen.status = statusOf("dsyevd", info, "the eigenvalue iteration did not converge");
    return eigen;
}

LinalgStatus invertGeneral(Matrix& a)
{
    assert(a.rows() == a.columns());
    const int n = a.rows();
    if (n == 0) {
        return {};
    }
    const int lda = leadingDimension(a);
    std::vector<int> pivots(static_cast<std::size_t>(n));
    int info = 0;
    dgetrf_(&n, &n, a.data(), &lda, pivots.data(), &info);
    if (info != 0) {
        return statusOf("dgetrf", info, "the matrix is exactly singular");
    }
    int lwork = -1;
    double query = 0.0;
    dgetri_(&n, a.data(), &lda, pivots.data(), &query, &lwork, &info);
    lwork = workspaceSize(query);
    std::vector<double> workspace(static_cast<std::size_t>(lwork));
    dgetri_(&n, a.data(), &lda, pivots.data(), workspace.data(), &lwork, &info);
    return statusOf("dgetri", info, "the matrix is exactly singular");
}

LinalgStatus choleskyFactor(Matrix& a)
{
    assert(a.rows() == a.columns());
    const int n = a.rows();
    if (n == 0) {
        return {};
    }
    const char lower = 'L';
    const int lda = leadingDimension(a);
    int info = 0;
    dpotrf_(&lower, &n, a.data(), &lda, &info, 1);
    clearStrictUpperTriangle(a);
    return statusOf("dpotrf", info, "the matrix is not positive definite");
}

LinalgStatus invertFromCholesky(Matrix& a)
{
    assert(a.rows() == a.columns());
    const int n = a.rows();
    if (n == 0) {
        return {};
    }
    const char lower = 'L';
    const int lda = leadingDimension(a);
    int info = 0;
    dpotri_(&lower, &n, a.data(), &lda, &info, 1);
    if (info == 0) {
        for (int c = 1; c < n; ++c) {
            for (int r = 0; r < c; ++r) {
                a(r, c) = a(c, r);
            }
        }
    }
    return statusOf("dpotri", info, "the Cholesky factor has a zero diagonal entry");
}

LinalgStatus invertLowerTriangular(Matrix& a)
{
    assert(a.rows() == a.columns());
    const int n = a.rows();
    if (n == 0) {
        return {};
    }
    // Packed lower storage: column by column, the entries on and below the diagonal.
    std::vector<double> packed;
    packed.reserve(static_cast<std::size_t>(n) * static_cast<std::size_t>(n + 1) / 2);
    for (int c = 0; c < n; ++c) {
        for (int r = c; r < n; ++r) {
            packed.push_back(a(r, c));
        }
    }
    const char lower = 'L';
    const char nonUnit = 'N';
    int info = 0;
    dtptri_(&lower, &nonUnit, &n, packed.data(), &info, 1, 1);
    if (info == 0) {
        clearStrictUpperTriangle(a);
        std::size_t next = 0;
        for (int c = 0; c < n; ++c) {
            for (int r = c; r < n; ++r) {
                a(r, c) = packed[next++];
            }
        }
    }
    return statusOf("dtptri", info, "the triangular matrix is singular");
}

LinalgStatus invertSymmetric(Matrix& a)
{
    assert(a.rows() == a.columns());
    const int n = a.rows();
    if (n == 0) {
        return {};
    }
    const char lower = 'L';
    const int lda = leadingDimension(a);
    std::vector<int> pivots(static_cast<std::size_t>(n));
    int info = 0;
    int lwork = -1;
    double query = 0.0;
    dsytrf_(&lower, &n, a.data(), &lda, pivots.data(), &query, &lwork, &info, 1);
    lwork = workspaceSize(query);
    std::vector<double> workspace(static_cast<std::size_t>(std::max(lwork, n)));
    dsytrf_(&lower, &n, a.data(), &lda, pivots.data(), workspace.data(), &lwork, &info, 1);
    if (info != 0) {
        return statusOf("dsytrf", info, "the block-diagonal factor is exactly singular");
    }
    dsytri_(&lower, &n, a.data(), &lda, pivots.data(), workspace.data(), &info, 1);
    if (info == 0) {
        for (int c = 1; c < n; ++c) {
            for (int r = 0; r < c; ++r) {
                a(r, c) = a(c, r);
            }
        }
    }
    return statusOf("dsytri", info, "the matrix is singular");
}

} // namespace Opt::Linalg
