// Dense random bounded linear programs (every row and every variable with two
// finite bounds, fixed seeds) solved by our bounded-variable simplex through
// runSIMPLEX and by GLPK's primal and dual simplex on the same instances: time
// per solve (median over the seeds), our time against the faster of GLPK's two
// methods, and on how many instances all three optima agree to 1e-8 relative.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

#include "api/zelkor.h"

#ifdef ZELKOR_BENCH_WITH_GLPK
#include <glpk.h>
#endif

namespace {

using Clock = std::chrono::steady_clock;

struct Instance {
    int m;
    int n;
    std::vector<double> objective;
    std::vector<double> rows; // m x n, row by row
    std::vector<double> rowLower, rowUpper, variableLower, variableUpper;
};

Instance randomInstance(int size, unsigned seed)
{
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    std::uniform_real_distribution<double> width(0.1, 2.0);
    Instance lp{size, size, {}, {}, {}, {}, {}, {}};
    std::vector<double> feasible(static_cast<std::size_t>(size));
    for (int j = 0; j < size; ++j) {
        feasible[j] = unit(random);
        lp.objective.push_back(unit(random));
        lp.variableLower.push_back(feasible[j] - width(random));
        lp.variableUpper.push_back(feasible[j] + width(random));
    }
    for (int i = 0; i < size; ++i) {
        double activity = 0.0;
        for (int j = 0; j < size; ++j) {
            const double a = unit(random);
            lp.rows.push_back(a);
            activity += a * feasible[j];
        }
        lp.rowLower.push_back(activity - width(random));
        lp.rowUpper.push_back(activity + width(random));
    }
    return lp;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double solveOurs(Instance& lp, double& objective)
{
    std::vector<double> x(static_cast<std::size_t>(lp.n));
    const auto start = Clock::now();
    const int status = runSIMPLEX(lp.n, lp.m, lp.objective.data(), lp.rows.data(),
                                  lp.rowLower.data(), lp.rowUpper.data(), lp.variableLower.data(),
                                  lp.variableUpper.data(), nullptr, nullptr, x.data(), &objective);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (status != 0) {
        objective = NAN;
    }
    return seconds;
}

#ifdef ZELKOR_BENCH_WITH_GLPK
// method: GLP_PRIMAL or GLP_DUALP (dual simplex, falling back to the primal
// when the dual fails).
double solveGlpk(const Instance& lp, int method, double& objective)
{
    const auto start = Clock::now();
    glp_prob* problem = glp_create_prob();
    glp_set_obj_dir(problem, GLP_MIN);
    glp_add_rows(problem, lp.m);
    glp_add_cols(problem, lp.n);
    for (int i = 0; i < lp.m; ++i) {
        glp_set_row_bnds(problem, i + 1, GLP_DB, lp.rowLower[i], lp.rowUpper[i]);
    }
    for (int j = 0; j < lp.n; ++j) {
        glp_set_col_bnds(problem, j + 1, GLP_DB, lp.variableLower[j], lp.variableUpper[j]);
        glp_set_obj_coef(problem, j + 1, lp.objective[j]);
    }
    std::vector<int> ia(1), ja(1);
    std::vector<double> ar(1);
    for (int i = 0; i < lp.m; ++i) {
        for (int j = 0; j < lp.n; ++j) {
            ia.push_back(i + 1);
            ja.push_back(j + 1);
            ar.push_back(lp.rows[static_cast<std::size_t>(i) * lp.n + j]);
        }
    }
    glp_load_matrix(problem, static_cast<int>(ar.size()) - 1, ia.data(), ja.data(), ar.data());
    glp_smcp settings;
    glp_init_smcp(&settings);
    settings.msg_lev = GLP_MSG_OFF;
    settings.meth = method;
    const int status = glp_simplex(problem, &settings);
    objective = status == 0 && glp_get_status(problem) == GLP_OPT ? glp_get_obj_val(problem) : NAN;
    glp_delete_prob(problem);
    return std::chrono::duration<double>(Clock::now() - start).count();
}
#endif

bool agree(double ours, double theirs)
{
    return std::fabs(ours - theirs) <= 1e-8 * std::max(1.0, std::fabs(theirs));
}

double medianMs(const std::vector<double>& seconds)
{
    return seconds.empty() ? NAN : 1e3 * median(seconds);
}

} // namespace

int main()
{
    std::printf("Dense random bounded LPs, time per solve (median), objectives compared\n");
    std::printf("%-10s %6s %12s %13s %13s %8s %8s\n", "size", "seeds", "Zelkor [ms]",
                "GLPK pr [ms]", "GLPK du [ms]", "ratio", "agree");
    for (int size : {50, 200, 500}) {
        const int seeds = size == 500 ? 3 : 5;
        std::vector<double> ours, primal, dual;
        int agreeing = 0;
        for (int s = 0; s < seeds; ++s) {
            Instance lp = randomInstance(size, 1000u + static_cast<unsigned>(size) + s);
            double ourObjective = 0.0;
            ours.push_back(solveOurs(lp, ourObjective));
#ifdef ZELKOR_BENCH_WITH_GLPK
            double primalObjective = 0.0;
            double dualObjective = 0.0;
            primal.push_back(solveGlpk(lp, GLP_PRIMAL, primalObjective));
            dual.push_back(solveGlpk(lp, GLP_DUALP, dualObjective));
            if (agree(ourObjective, primalObjective) && agree(ourObjective, dualObjective)) {
                ++agreeing;
            }
#endif
        }
        const double ourMs = medianMs(ours);
        const double primalMs = medianMs(primal);
        const double dualMs = medianMs(dual);
        // ratio: ours against the faster of GLPK's two methods.
        std::printf("%4d x %-4d %6d %12.2f %13.2f %13.2f %8.2f %5d/%d\n", size, size, seeds,
                    ourMs, primalMs, dualMs, ourMs / std::min(primalMs, dualMs), agreeing, seeds);
    }
    return 0;
}
