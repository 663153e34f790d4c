// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <utility>

namespace orvane {

// Why an operation has no value: a code the caller can test (an errno, or an
// enumeration of the module's own) and the sentence to show the user.
template <class C = int> struct Failure {
    C code{};
    std::string message;
};

// The one result shape of the core's operations: a value, or a Failure.
// Functions return either implicitly; callers test it before reading the
// value (reading the value of a failure is a programming error).
template <class T, class C = int> class [[nodiscard]] Result {
public:
    Result(T value) : m_value(std::move(value)) {}
    Result(Failure<C> failure) : m_failure(std::move(failure)) {}
    static Result Fail(C code, std::string message) { return Failure<C>{code, std::move(message)}; }

    explicit operator bool() const { return m_value.has_value(); }
    bool Ok() const { return m_value.has_value(); }
    C ErrorCode() const { return m_failure.code; }
    const std::string& Message() const { return m_failure.message; }
    const Failure<C>& Error() const { return m_failure; }

    const T& operator*() const& { return *m_value; }
    T& operator*() & { return *m_value; }
    T&& operator*() && { return std::move(*m_value); }
    const T* operator->() const { return &*m_value; }
    T* operator->() { return &*m_value; }

private:
    std::optional<T> m_value;
    Failure<C> m_failure;
};

// An operation with nothing to return but whether it worked.
template <class C> class [[nodiscard]] Result<void, C> {
public:
    Result() = default;
    Result(Failure<C> failure) : m_ok(false), m_failure(std::move(failure)) {}
    static Result Success() { return Result(); }
    static Result Fail(C code, std::string message) { return Failure<C>{code, std::move(message)}; }

    explicit operator bool() const { return m_ok; }
    bool Ok() const { return m_ok; }
    C ErrorCode() const { return m_failure.code; }
    const std::string& Message() const { return m_failure.message; }
    const Failure<C>& Error() const { return m_failure; }

private:
    bool m_ok = true;
    Failure<C> m_failure;
};

} // namespace orvane
