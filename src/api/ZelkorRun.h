#pragma once

#include <vector>

#include "api/zelkor.h"

namespace Opt {

class BatchedEvaluation;

// How the host evaluates the designs of a run of the general entry point: one at
// a time through evaluate, or through a batched evaluation (which may hand single
// designs to evaluate).
struct HostEvaluation {
    ResponseCallback evaluate = nullptr;
    GradientCallback gradients = nullptr;
    BatchedEvaluation* batch = nullptr;
    const char* entryPoint = "Zelkor"; // names the entry point in every message
};

// The run of Zelkor and of its batched forms: checks the arguments, builds the
// method's engine, drives it and closes the report. Returns the feasible flag
// and records the thread's last status. Exceptions are left to the caller's
// guard.
int runZelkor(int method, int reportLevel, const HostEvaluation& host, int n, double* x,
              double** bounds, int m, double* f, int* userInts, double* userReals);
// The same run with one bound list per variable: [lower, upper], or the
// ascending levels of a discrete variable (more than two values).
int runZelkorOnLists(int method, int reportLevel, const HostEvaluation& host, int n, double* x,
                     const std::vector<std::vector<double>>& boundLists, int m, double* f,
                     int* userInts, double* userReals);

// The generator seed the genetic methods of the runs this thread starts take
// (zelkorSetSeed); 0 unless set.
int& threadRunSeed();

} // namespace Opt
