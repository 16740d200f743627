#pragma once

#include <exception>
#include <string>

// The one error type of the system. It carries the message text that the
// user finally sees; every layer raises it and exactly one place shows it.
// It derives from std::exception itself: std::runtime_error would bring the
// runtime's second, copy-on-write string implementation into every program.
class ESetupError : public std::exception {
public:
    explicit ESetupError(std::string message) : Message(std::move(message)) {}
    const char* what() const noexcept override { return Message.c_str(); }

private:
    std::string Message;
};
