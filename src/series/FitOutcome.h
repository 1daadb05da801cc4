// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <utility>

// The result of a fit: either its values or, where they would mean nothing (too few points, no
// convergence, data the model can't describe), a German sentence saying why.
template <typename T> class FitOutcome {
public:
    FitOutcome(T value) : value_(std::move(value)) {}
    static FitOutcome Failure(std::string message) { return FitOutcome(std::move(message)); }

    bool Ok() const { return value_.has_value(); }
    // The values; only when Ok().
    const T& Value() const { return *value_; }
    const T& operator*() const { return *value_; }
    const T* operator->() const { return &*value_; }
    // Why there are no values; empty when Ok().
    const std::string& Message() const { return message_; }

private:
    explicit FitOutcome(std::string message) : message_(std::move(message)) {}

    std::optional<T> value_;
    std::string message_;
};
