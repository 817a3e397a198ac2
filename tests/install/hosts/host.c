/* A C host: includes the one public header and calls the library: the library
   matches the header's version macros, the C-safe form of a design service
   answers at its point limit, and a batched SQP run, whose callback reaches its
   context through the user pointer, ends where the sequential run ends. */
#include <stdio.h>
#include <string.h>

#include <zelkor.h>

static int bowl(double* x, int n, double* f, int m)
{
    (void)n;
    (void)m;
    f[0] = (x[0] - 0.3) * (x[0] - 0.3) + (x[1] + 0.2) * (x[1] + 0.2);
    return 0;
}

static void bowlBatch(int count, const double* designs, double* responses, void* user)
{
    int k;
    *(int*)user += 1;
    for (k = 0; k < count; ++k) {
        bowl((double*)(designs + 2 * k), 2, responses + k, 1);
    }
}

/* 0 when the batched run ends on the sequential run's design and calls the batch
   callback at least once. */
static int batchedRunMatches(void)
{
    double first[2] = {-1.0, 1.0};
    double second[2] = {-1.0, 1.0};
    double* bounds[2] = {first, second};
    double x[2] = {0.9, 0.9};
    double y[2] = {0.9, 0.9};
    double f[1] = {0.0};
    double g[1] = {0.0};
    int batches = 0;
    Zelkor(1, 0, bowl, 2, x, bounds, 1, f, 0, NULL, 0, NULL, NULL);
    ZelkorBatch(1, 0, NULL, 2, y, bounds, 1, g, 0, NULL, 0, NULL, NULL, bowlBatch, &batches, 0);
    return memcmp(x, y, sizeof x) == 0 && f[0] == g[0] && batches > 0 ? 0 : 1;
}

int main(void)
{
    const char* version = zelkorVersion();
    const int overLimit[4] = {0, 0, 2, 0}; /* a full factorial of 2^14 points */
    char header[32];
    snprintf(header, sizeof header, "%d.%d.%d", ZELKOR_VERSION_MAJOR, ZELKOR_VERSION_MINOR,
             ZELKOR_VERSION_PATCH);
    printf("C host linked Zelkor %s\n", version);
    if (strcmp(version, header) != 0) {
        return 1; /* the header and the library disagree */
    }
    if (get_nexpC(overLimit, 14) != -2 || zelkorLastStatus() != ZELKOR_STATUS_INVALID_INPUT ||
        strstr(zelkorLastMessage(), "EXCEEDS IT'S LIMIT") == NULL) {
        return 1;
    }
    if (get_nexpC(overLimit, 13) != 8192 || zelkorLastStatus() != ZELKOR_STATUS_OK) {
        return 1;
    }
    return batchedRunMatches();
}
