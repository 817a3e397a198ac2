"""The options of zelkor.minimize by name, and where each goes in the
library's user parameters (the ints and reals of its general entry point).

Each entry: name -> (array, position, kind, what it sets). Values must be
finite and not negative; "int" options must be whole numbers. An option not
given keeps the library's default (the unset mark -999)."""

import math
import numbers

METHODS = {"direct": 0, "sqp": 1, "ga": 2, "microga": 3, "hybridga": 4, "sao": 5}

UNSET = -999
USER_INTS = 10
USER_REALS = 6

_SQP = {
    "maxiter": ("ints", 0, "int", "iterations (30)"),
    "line_search_trials": ("ints", 4, "int", "line-search trials (10)"),
    "ftol": ("reals", 0, "real", "objective tolerance, relative change (0.005)"),
    "xtol": ("reals", 1, "real", "step tolerance in [0, 1] units of the ranges (0)"),
    "fd_step": ("reals", 2, "real", "finite-difference step in [0, 1] units (1e-5)"),
    "move_limit": ("reals", 3, "real", "half-width of the step box in [0, 1] units (0.3)"),
}
_GA = {
    "maxfev": ("ints", 1, "int", "evaluations (10000)"),
    "population": ("ints", 5, "int", "population size (251; micro-GA 7)"),
    "stall_generations": ("ints", 6, "int",
                          "generations without improvement before stopping (50)"),
}
SURROGATE_TYPES = {"polynomial": 1, "kriging": 2, "rbf": 3, "svr": 4, "ensemble": 5,
                   "ordinary_kriging": 6}

OPTIONS = {
    "direct": {
        "maxiter": ("ints", 1, "int", "iterations (50, at most 100)"),
        "maxfev": ("ints", 2, "int", "evaluations (3000, at most 10000)"),
        "max_depth": ("ints", 3, "int", "division depth (500)"),
        "penalty": ("reals", 0, "real", "constraint penalty factor (5.0)"),
    },
    "sqp": _SQP,
    "ga": _GA,
    "microga": _GA,
    "hybridga": dict(_GA, **{"local_" + name: entry for name, entry in _SQP.items()}),
    "sao": {
        "maxiter": ("ints", 0, "int", "accepted cycles (100)"),
        "maxfev": ("ints", 1, "int", "evaluations, never exceeded (4000)"),
        "surrogate": ("ints", 8, "surrogate",
                      "surrogate type, a name of SURROGATE_TYPES or 1..6 (polynomial)"),
        "move_limit": ("reals", 3, "real", "initial move limit, fraction of each range (0.1)"),
        "ctol": ("reals", 4, "real", "constraint tolerance (0.003)"),
        "ftol": ("reals", 5, "real", "objective tolerance, relative change (0.001)"),
    },
}

# Options every method takes, handled by minimize itself.
COMMON = {"disp": "report level of the library's console report: 0 silent (default), 1-9"}


def _value(name, value, kind):
    if kind == "surrogate" and isinstance(value, str):
        if value not in SURROGATE_TYPES:
            raise ValueError("options[%r] = %r: one of %s" % (name, value, sorted(SURROGATE_TYPES)))
        return SURROGATE_TYPES[value]
    if isinstance(value, bool) or not isinstance(value, numbers.Real) or not math.isfinite(value) \
            or value < 0:
        raise ValueError("options[%r] = %r: a finite number not below 0 is needed" % (name, value))
    if kind != "real":
        if value != int(value):
            raise ValueError("options[%r] = %r: a whole number is needed" % (name, value))
        return int(value)
    return float(value)


def user_parameters(method, options):
    """(ints, reals, report level) for method from the options dict; raises
    ValueError naming an option the method does not know."""
    table = OPTIONS[method]
    ints = [UNSET] * USER_INTS
    reals = [float(UNSET)] * USER_REALS
    report_level = 0
    for name, value in (options or {}).items():
        if name == "disp":
            report_level = int(_value(name, value, "int"))
        elif name in table:
            array, position, kind, _ = table[name]
            (ints if array == "ints" else reals)[position] = _value(name, value, kind)
        else:
            known = sorted(set(table) | set(COMMON))
            raise ValueError("unknown option %r for method %r; it knows %s"
                             % (name, method, ", ".join(known)))
    return ints, reals, report_level


def describe(method):
    """A text listing method's options, what each sets and its default."""
    lines = ["%s: %s" % (name, entry[3]) for name, entry in sorted(OPTIONS[method].items())]
    lines += ["%s: %s" % item for item in COMMON.items()]
    return "\n".join(lines)
