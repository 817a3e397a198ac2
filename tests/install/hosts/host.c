/* A C host: includes the one public header and calls the library: the library
   matches the header's version macros, the C-safe form of a design service
   answers at its point limit, and a surrogate study's model file predicts what
   the host computed. */
#include <stdio.h>
#include <string.h>

#include <zelkor.h>

/* A quadratic bowl, which the study's full quadratic model reproduces. */
static int bowl(double* x, int n, double* f, int m)
{
    (void)n;
    (void)m;
    f[0] = (x[0] - 1.0) * (x[0] - 1.0) + (x[1] + 0.5) * (x[1] + 0.5);
    return 0;
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
    if (get_nexpC(overLimit, 13) != 8192 || zelkorLastStatus() != ZELKOR_STATUS_OK) {
        return 1;
    }
    return modelFileServes() ? 0 : 1;
}
