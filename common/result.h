// The one shape in which the suite returns an error with its message: a
// value or an Error, never an exception through the program's own logic.
#pragma once

#include <string>
#include <utility>
#include <variant>

namespace kvl {

/// Why something failed: one short sentence for the user, and a number where
/// one is meaningful (the system's errno, or a program's own error number).
struct Error {
    std::string message;
    int code = 0;
};

/// Either a T or the Error that prevented it.
template <typename T>
class [[nodiscard]] Result {
public:
    Result(T value) : m_state(std::in_place_index<0>, std::move(value)) { }
    Result(Error error) : m_state(std::in_place_index<1>, std::move(error)) { }

    bool ok() const { return m_state.index() == 0; }
    explicit operator bool() const { return ok(); }

    /// The value; only when ok().
    T& value() & { return std::get<0>(m_state); }
    const T& value() const& { return std::get<0>(m_state); }
    T&& value() && { return std::get<0>(std::move(m_state)); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }

    /// The error; only when !ok().
    const Error& error() const { return std::get<1>(m_state); }

private:
    std::variant<T, Error> m_state;
};

/// Success without a value, or the Error.
template <>
class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(Error error) : m_error(std::move(error)), m_failed(true) { }

    bool ok() const { return !m_failed; }
    explicit operator bool() const { return ok(); }
    const Error& error() const { return m_error; }

private:
    Error m_error;
    bool m_failed = false;
};

} // namespace kvl
