// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "series/FitOutcome.h"

#include <string>
#include <vector>

// The rate laws a class tries on a time course of the absorbance A.
enum class ReactionOrder {
    Zeroth, // A = A₀ − k·t, a straight line of A against t
    First,  // A = A∞ + (A₀ − A∞)·e^(−k′t)
    Second, // 1/A = 1/A₀ + k·t, a straight line of 1/A against t
};

struct KineticFitRequest {
    ReactionOrder Order = ReactionOrder::First;
    bool EndValueFree = true; // first order: A∞ fitted, or held at 0
    double From = 0;          // the time range fitted, in s, both ends included
    double To = 0;
};

// A fitted rate law. Times in s; the rate constant in A/s (zeroth), 1/s (first) or 1/(A·s) (second).
struct KineticFit {
    ReactionOrder Order = ReactionOrder::First;
    double RateConstant = 0, RateConstantError = 0;
    double StartValue = 0, StartValueError = 0; // A₀, the value at t = 0
    double EndValue = 0, EndValueError = 0;     // A∞; 0 and 0 for the straight-line orders
    bool EndValueFree = false;
    double HalfLife = 0, HalfLifeError = 0; // first order: of A − A∞; the others: to half of A₀
    double RSquared = 0;                    // of A itself for first order, of the straight line otherwise
    int Count = 0;                          // points in the range
    int DegreesOfFreedom = 0;               // points less parameters
    // Why the errors above are 0 and mean nothing (too few points to spare for the scatter); empty when
    // they hold.
    std::string NoErrorReason;

    // The fitted A at time t.
    double At(double t) const;
};

// Fits the points (times[i], values[i]) whose time lies in the request's range, each weighed by its
// standard uncertainty `uncertainties[i]` of A where all are given and positive, alike otherwise; the
// scatter about the law sets the errors' scale. Fewer points than parameters, a fit that does not
// converge, values that the law can't take (1/A of A ≤ 0) or an end value above the data give a German
// message instead.
FitOutcome<KineticFit> FitKinetics(const std::vector<double>& times, const std::vector<double>& values,
                                   const KineticFitRequest& request,
                                   const std::vector<double>& uncertainties = {});
