#pragma once
#include <stdexcept>
#include <string>

#include <fmt/format.h>

namespace vorl {

// A condition the user has to fix (wrong folder, missing install path, ...).
// Code 99 carries a message that stands on its own; other codes are shown in front of it.
class UserErrorException : public std::runtime_error {
public:
    UserErrorException(int code, const std::string& message)
        : std::runtime_error(code == 99 ? message : fmt::format("{}: {}", code, message)), code_(code),
          message_(message) {}

    int code() const noexcept { return code_; }
    const std::string& message() const noexcept { return message_; }

private:
    int code_;
    std::string message_;
};

} // namespace vorl
