/* A C host: includes the one public header and calls the library: the library
   matches the header's version macros, the C-safe form of a design service
   answers at its point limit, a surrogate study's model file predicts what the
   host computed, the drivers of this C form link and refuse bad input (a
   restartable SQP's short state block, a descending bar catalogue), and a
   batched SQP run, whose callback reaches its context through the user pointer,
   ends where the sequential run ends. */
#include <stdio.h>
#include <string.h>

#include <zelkor.h>

static int noLayout(int nLayers, const double* d, const double* s, const int* bars,
                    const double* areas, int m, double* f)
{
    (void)nLayers, (void)d, (void)s, (void)bars, (void)areas, (void)m;
    f[0] = 0;
    return 0;
}

static int driversRefuseBadInput(void)
{
    double x[1] = {0.5}, f[1], state[4] = {0, 0, 0, 0}, d[1], s[1];
    const double bounds[2] = {0, 1}, catalogue[2] = {16, 13}, range[3] = {50, 200, 25};
    const double widths[1] = {200};
    if (runSQP_CFD_(x, 1, f, 1, bounds, NULL, state, 4, NULL, NULL) != -1 ||
        zelkorLastStatus() != ZELKOR_STATUS_INVALID_INPUT) {
        return 1;
    }
    return runGA_ReinforcementDesign(noLayout, 1, catalogue, 2, range, widths, 1, d, s, f, NULL,
                                     NULL) == 0 &&
                   zelkorLastStatus() == ZELKOR_STATUS_INVALID_INPUT &&
                   zelkorSQPStateSize(1, 1) > 4
               ? 0
               : 1;
}

/* A quadratic bowl, which the study's full quadratic model reproduces. */
static int bowl(double* x, int n, double* f, int m)
{
    (void)n;
    (void)m;
    f[0] = (x[0] - 1.0) * (x[0] - 1.0) + (x[1] + 0.5) * (x[1] + 0.5);
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

/* runRSMOPT writes the model file; evaluateRSMallC predicts from it at the
   verified design the value the host computed there, and refuses a file that
   is not there. */
static int modelFileServes(void)
{
    const double bounds[4] = {-2.0, 2.0, -2.0, 2.0};
    const int design[4] = {0, 0, 3, 0}, models[2] = {1, 4}, ids[1] = {0};
    double x[2] = {0.0, 0.0}, f[1] = {0.0}, predicted[1] = {0.0}, difference;
    unsigned char success = 0;
    int served;
    if (runRSMOPT(bowl, 2, 1, x, f, bounds, NULL, design, models, NULL, "c_host_model", 0) != 1) {
        return 0;
    }
    served = evaluateRSMallC("c_host_model", 2, x, bounds, NULL, 1, ids, predicted, &success);
    difference = predicted[0] - f[0];
    remove("c_host_model.rsm");
    if (served != 1 || success != 1 || difference > 1e-9 || difference < -1e-9) {
        return 0;
    }
    return evaluateRSMallC("c_host_model", 2, x, bounds, NULL, 1, ids, predicted, &success) == 0 &&
           success == 0 && zelkorLastStatus() == ZELKOR_STATUS_INVALID_INPUT;
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
    if (driversRefuseBadInput() != 0) {
        return 1;
    }
    if (get_nexpC(overLimit, 13) != 8192 || zelkorLastStatus() != ZELKOR_STATUS_OK) {
        return 1;
    }
    return modelFileServes() && batchedRunMatches() == 0 ? 0 : 1;
}
