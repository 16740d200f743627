// The setup program's replacements of the runtime's throw helpers, linked as
// in the product: what a library failure inside std::string or std::vector
// becomes. No GoogleTest here, as its own use of the runtime would bring the
// replaced helpers back and clash with ours at link time.

#include <cstdio>
#include <functional>
#include <new>
#include <string>
#include <vector>

#include "utilities/SetupError.h"

namespace {

struct TCase {
    const char* Name;
    std::function<void()> Fail;
    const char* Expected;  // the error's message; nullptr for std::bad_alloc
};

std::string Outcome(const TCase& test)
{
    try {
        test.Fail();
    } catch (const ESetupError& error) {
        return error.what();
    } catch (const std::bad_alloc&) {
        return "(bad_alloc)";
    }
    return "(nothing thrown)";
}

}  // namespace

int main()
{
    const std::string text = "abc";
    std::vector<int> numbers;
    const TCase cases[] = {
        {"substr past the end", [&] { (void)text.substr(4); }, "Internal error in basic_string::substr."},
        {"at past the end", [&] { (void)text.at(3); }, "Internal error in basic_string::at."},
        {"string past its limit", [&] { std::string().reserve(text.max_size() + 1); },
         "Internal error in basic_string::_M_create."},
        {"vector past its limit", [&] { numbers.reserve(numbers.max_size() + 1); },
         "Internal error in vector::reserve."},
        {"memory exhausted", [&] { numbers.reserve(numbers.max_size()); }, nullptr},
    };
    int failures = 0;
    for (const TCase& test : cases) {
        const std::string expected = test.Expected ? test.Expected : "(bad_alloc)";
        const std::string got = Outcome(test);
        if (got == expected) continue;
        std::printf("%s: expected \"%s\", got \"%s\"\n", test.Name, expected.c_str(), got.c_str());
        ++failures;
    }
    std::printf("%d of %d cases failed\n", failures, static_cast<int>(sizeof cases / sizeof cases[0]));
    return failures == 0 ? 0 : 1;
}
