#include "WalkOptions.h"

#include <charconv>
#include <string_view>

namespace nuvero::bench {

namespace {

bool readInt(std::string_view text, int& value)
{
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size();
}

} // namespace

std::optional<WalkOptions> WalkOptions::parse(int argc, const char* const* argv, std::string& error)
{
    WalkOptions options;
    bool haveRoots = false;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        const auto value = [&](std::string_view& out) {
            if (i + 1 >= argc) {
                error = std::string(arg) + " needs a value";
                return false;
            }
            out = argv[++i];
            return true;
        };
        std::string_view v;
        if (optionsEnded || arg.empty() || arg.front() != '-' || arg == "-") {
            if (haveRoots) {
                error = "only one ROOTS argument is taken (separate roots with \";\")";
                return std::nullopt;
            }
            options.roots = arg;
            haveRoots = true;
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--drive") {
            if (!value(v))
                return std::nullopt;
            const auto eq = v.find('=');
            const char letter = v.empty() ? 0 : v.front();
            const bool isLetter = (letter >= 'a' && letter <= 'z') || (letter >= 'A' && letter <= 'Z');
            if (eq != 1 || !isLetter || v.size() < 3) {
                error = "--drive takes X=HOSTDIR, got \"" + std::string(v) + "\"";
                return std::nullopt;
            }
            options.drives[static_cast<char>(letter | 0x20)] = std::string(v.substr(2));
        } else if (arg == "--mask") {
            if (!value(v))
                return std::nullopt;
            options.mask = v;
        } else if (arg == "--no-after-date") {
            options.afterDate = false;
        } else if (arg == "--time-kind") {
            if (!value(v))
                return std::nullopt;
            if (!readInt(v, options.timeKind)) {
                error = "--time-kind takes a whole number, got \"" + std::string(v) + "\"";
                return std::nullopt;
            }
        } else if (arg == "--threshold") {
            if (!value(v))
                return std::nullopt;
            options.threshold = DateTime::parse(v);
            if (!options.threshold) {
                error = "--threshold takes \"dd.mm.yyyy hh:nn:ss\", got \"" + std::string(v) + "\"";
                return std::nullopt;
            }
        } else if (arg == "--rus") {
            options.rusNames = true;
        } else if (arg == "--unit") {
            if (!value(v))
                return std::nullopt;
            if (!readInt(v, options.unit) || options.unit < 0 || options.unit > 3) {
                error = "--unit takes 0 (bytes), 1 (KBytes), 2 (MBytes) or 3 (GBytes), got \"" + std::string(v) + "\"";
                return std::nullopt;
            }
        } else if (arg == "--exclude") {
            if (!value(v))
                return std::nullopt;
            options.exclusions.emplace_back(v);
        } else if (arg == "--threads") {
            if (!value(v))
                return std::nullopt;
            if (!readInt(v, options.threads) || options.threads < 1) {
                error = "--threads takes a number of 1 or more, got \"" + std::string(v) + "\"";
                return std::nullopt;
            }
        } else if (arg == "--remote-readers") {
            if (!value(v))
                return std::nullopt;
            if (!readInt(v, options.remoteReaders) || options.remoteReaders < 0) {
                error = "--remote-readers takes a number of 0 or more, got \"" + std::string(v) + "\"";
                return std::nullopt;
            }
        } else if (arg == "--all-remote") {
            options.allRemote = true;
        } else {
            error = "unknown option " + std::string(arg);
            return std::nullopt;
        }
    }
    if (!haveRoots) {
        error = "ROOTS missing (for example \"c:\" or \"c:\\data;d:\")";
        return std::nullopt;
    }
    return options;
}

} // namespace nuvero::bench
