#pragma once

#include <stdexcept>
#include <string>

// The one error type of the system. It carries the message text that the
// user finally sees; every layer raises it and exactly one place shows it.
class ESetupError : public std::runtime_error {
public:
    explicit ESetupError(const std::string& message) : std::runtime_error(message) {}
};
