/* A linear program solved by runSIMPLEX from a C host: Hillier and Lieberman's
   Wyndor Glass product mix, whose optimum is a profit of 36 at (2, 6). */
#include <math.h>
#include <stdio.h>

#include <zelkor.h>

int main(void)
{
    /* Maximise 3 x1 + 5 x2: runSIMPLEX minimises, so the objective is negated. */
    const double objective[2] = {-3.0, -5.0};
    /* Plant hours, one row per plant, row by row:
         x1 <= 4,  2 x2 <= 12,  3 x1 + 2 x2 <= 18. */
    const double rows[3 * 2] = {1.0, 0.0,
                                0.0, 2.0,
                                3.0, 2.0};
    const double rowLower[3] = {-HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
    const double rowUpper[3] = {4.0, 12.0, 18.0};
    /* Batches per week: none negative, the upper side open. */
    const double variableLower[2] = {0.0, 0.0};
    double solution[2];
    double objectiveValue = 0.0;

    /* Null settings and variable upper bounds: every setting at its default,
       every variable unbounded above. */
    const int status = runSIMPLEX(2, 3, objective, rows, rowLower, rowUpper, variableLower, NULL,
                                  NULL, NULL, solution, &objectiveValue);
    if (status != 0) {
        printf("runSIMPLEX failed with error %d\n", status);
        return 1;
    }
    printf("profit %.6f with x1 = %.6f, x2 = %.6f batches (known: 36 at 2, 6)\n",
           -objectiveValue, solution[0], solution[1]);
    return fabs(-objectiveValue - 36.0) < 1e-9 && fabs(solution[0] - 2.0) < 1e-9 &&
                   fabs(solution[1] - 6.0) < 1e-9
               ? 0
               : 1;
}
