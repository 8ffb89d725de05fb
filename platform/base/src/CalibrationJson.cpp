#include "TarvoBase/CalibrationJson.h"

#include "TarvoBase/Logger.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <exception>
#include <filesystem>
#include <iterator>
#include <nlohmann/json.hpp>

namespace tarvo {
namespace {

constexpr const char* kSource = "base/CalibrationJson";
constexpr size_t kMaxFileSize = 1 << 20; // a calibration is a few hundred bytes
constexpr size_t kMatrixValues = 6;
constexpr int kMaxDepth = 32;

using Json = nlohmann::ordered_json;

const char* const kSizeKeys[] = {"dvsWidth", "dvsHeight", "apsWidth", "apsHeight"};
constexpr const char* kTransformsKey = "transforms";
// The matrices every use of a calibration needs: frame to event grid, event to frame grid.
const char* const kMatrixKeys[] = {"0", "1"};

uint16_t CalibratorParameters::*const kSizeFields[] = {
    &CalibratorParameters::dvsWidth, &CalibratorParameters::dvsHeight, &CalibratorParameters::apsWidth,
    &CalibratorParameters::apsHeight};

// What every record must hold to be read back and used: sizes, and both matrices in full.
bool checkRecord(const CalibratorParameters& params, std::string& why)
{
    for (size_t i = 0; i < std::size(kSizeKeys); ++i) {
        if (params.*kSizeFields[i] == 0) {
            why = std::string("\"") + kSizeKeys[i] + "\" is 0";
            return false;
        }
    }
    for (const char* key : kMatrixKeys) {
        const auto matrix = params.transforms.find(key);
        if (matrix == params.transforms.end()) {
            why = std::string("the matrix \"") + key + "\" is missing";
            return false;
        }
        if (matrix->second.size() < kMatrixValues) {
            why = std::string("the matrix \"") + key + "\" has fewer than six values";
            return false;
        }
    }
    for (const auto& [key, values] : params.transforms) {
        for (double value : values) {
            if (!std::isfinite(value)) {
                why = "the matrix \"" + key + "\" holds a value that is not finite";
                return false;
            }
        }
    }
    return true;
}

bool readSize(const Json& object, const char* key, uint16_t& out, std::string& why)
{
    const auto found = object.find(key);
    if (found == object.end()) {
        why = std::string("\"") + key + "\" is missing";
        return false;
    }
    const double value = found->is_number() ? found->get<double>() : 0.0;
    if (!found->is_number() || value != std::floor(value) || value < 1 || value > 0xFFFF) {
        why = std::string("\"") + key + "\" is not a whole number from 1 to 65535";
        return false;
    }
    out = static_cast<uint16_t>(value);
    return true;
}

bool readTransforms(const Json& object, std::map<std::string, std::vector<double>>& out, std::string& why)
{
    const auto found = object.find(kTransformsKey);
    if (found == object.end()) {
        why = "\"transforms\" is missing";
        return false;
    }
    if (!found->is_object()) {
        why = "\"transforms\" is not an object";
        return false;
    }
    for (const auto& [key, values] : found->items()) {
        if (!values.is_array()) {
            why = "the matrix \"" + key + "\" is not an array";
            return false;
        }
        std::vector<double>& matrix = out[key];
        for (const Json& value : values) {
            if (!value.is_number()) {
                why = "the matrix \"" + key + "\" holds something other than a number";
                return false;
            }
            matrix.push_back(value.get<double>());
        }
    }
    return true;
}

bool isRecordKey(const std::string& key)
{
    for (const char* known : kSizeKeys) {
        if (key == known) {
            return true;
        }
    }
    return key == kTransformsKey;
}

// Text that is not JSON, or that nests deeper than kMaxDepth, is refused: copying or printing a
// value recurses once per level, so deeper values are not even built.
bool parseJson(const char* first, const char* last, Json& out, std::string& why)
{
    bool tooDeep = false;
    const Json::parser_callback_t limitDepth = [&tooDeep](int depth, Json::parse_event_t, Json&) {
        tooDeep = tooDeep || depth > kMaxDepth;
        return depth <= kMaxDepth;
    };
    out = Json::parse(first, last, limitDepth, false);
    if (out.is_discarded()) {
        why = "it is not JSON";
        return false;
    }
    if (tooDeep) {
        why = "it nests deeper than 32 levels";
        return false;
    }
    return true;
}

bool parseRecord(const char* first, const char* last, CalibratorParameters& out, std::string& why)
{
    // A camera may hand its block over padded with zero bytes.
    while (last != first && last[-1] == '\0') {
        --last;
    }
    Json document;
    if (!parseJson(first, last, document, why)) {
        return false;
    }
    if (!document.is_object()) {
        why = "it is not a JSON object";
        return false;
    }
    CalibratorParameters parsed;
    for (size_t i = 0; i < std::size(kSizeKeys); ++i) {
        if (!readSize(document, kSizeKeys[i], parsed.*kSizeFields[i], why)) {
            return false;
        }
    }
    if (!readTransforms(document, parsed.transforms, why) || !checkRecord(parsed, why)) {
        return false;
    }
    Json extras = Json::object();
    for (const auto& [key, value] : document.items()) {
        if (!isRecordKey(key)) {
            extras[key] = value;
        }
    }
    if (!extras.empty()) {
        parsed.extras = extras.dump();
    }
    out = std::move(parsed);
    return true;
}

bool readWholeFile(const std::string& path, std::string& text, std::string& why)
{
    // Non-blocking, so that a FIFO at the path is refused instead of waited on.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        why = std::strerror(errno);
        return false;
    }
    struct stat info = {};
    bool ok = ::fstat(fd, &info) == 0;
    if (!ok) {
        why = std::strerror(errno);
    } else if (!S_ISREG(info.st_mode)) {
        why = S_ISDIR(info.st_mode) ? "it is a folder" : "it is not a regular file";
        ok = false;
    } else if (static_cast<uint64_t>(info.st_size) > kMaxFileSize) {
        why = "it is larger than 1 MiB";
        ok = false;
    }
    char chunk[4096];
    while (ok) {
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got > 0 && text.size() + static_cast<size_t>(got) <= kMaxFileSize) {
            text.append(chunk, static_cast<size_t>(got));
        } else if (got > 0) {
            why = "it is larger than 1 MiB";
            ok = false;
        } else if (got == 0) {
            break;
        } else if (errno != EINTR) {
            why = std::strerror(errno);
            ok = false;
        }
    }
    ::close(fd);
    return ok;
}

bool buildDocument(const CalibratorParameters& params, Json& document, std::string& why)
{
    if (!checkRecord(params, why)) {
        return false;
    }
    for (size_t i = 0; i < std::size(kSizeKeys); ++i) {
        document[kSizeKeys[i]] = params.*kSizeFields[i];
    }
    document[kTransformsKey] = Json::object();
    for (const auto& [key, values] : params.transforms) {
        document[kTransformsKey][key] = values;
    }
    if (params.extras.empty()) {
        return true;
    }
    Json extras;
    const char* text = params.extras.data();
    if (!parseJson(text, text + params.extras.size(), extras, why) || !extras.is_object()) {
        why = "its extras are not a JSON object of at most 32 levels";
        return false;
    }
    for (const auto& [key, value] : extras.items()) {
        if (!isRecordKey(key)) {
            document[key] = value;
        }
    }
    return true;
}

// The file the text lands in: a link is followed, so that the link stays and its target changes.
bool resolveTarget(const std::string& path, std::string& target, mode_t& mode, std::string& why)
{
    std::error_code error;
    const std::filesystem::path resolved = std::filesystem::weakly_canonical(path, error);
    target = error ? path : resolved.string();
    mode = 0644;
    struct stat info = {};
    if (::stat(target.c_str(), &info) != 0) {
        return true; // created by the rename
    }
    if (!S_ISREG(info.st_mode)) {
        why = S_ISDIR(info.st_mode) ? "it is a folder" : "it is not a regular file";
        return false;
    }
    mode = info.st_mode & 07777;
    return true;
}

bool writeAll(int fd, const std::string& text, std::string& why)
{
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t wrote = ::write(fd, text.data() + done, text.size() - done);
        if (wrote < 0 && errno == EINTR) {
            continue;
        }
        if (wrote <= 0) {
            why = wrote < 0 ? std::strerror(errno) : "nothing could be written";
            return false;
        }
        done += static_cast<size_t>(wrote);
    }
    return true;
}

bool replaceFile(const std::string& path, const std::string& text, std::string& why)
{
    std::string target;
    mode_t mode = 0;
    if (!resolveTarget(path, target, mode, why)) {
        return false;
    }
    std::string temporary = target + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) {
        why = std::string("no file can be created beside it: ") + std::strerror(errno);
        return false;
    }
    // Flushed before the rename, so that a crash leaves either the old calibration or the new.
    bool ok = writeAll(fd, text, why);
    if (ok && (::fchmod(fd, mode) != 0 || ::fsync(fd) != 0)) {
        why = std::strerror(errno);
        ok = false;
    }
    if (::close(fd) != 0 && ok) {
        why = std::strerror(errno);
        ok = false;
    }
    if (ok && ::rename(temporary.c_str(), target.c_str()) != 0) {
        why = std::strerror(errno);
        ok = false;
    }
    if (!ok) {
        ::unlink(temporary.c_str());
    }
    return ok;
}

// Runs one step of reading or writing; an exception (no memory, text that is not UTF-8 in a
// matrix name) becomes a failure with its reason.
template <typename Step> bool guarded(std::string& why, Step step)
{
    try {
        return step();
    } catch (const std::exception& error) {
        why = error.what();
        return false;
    }
}

} // namespace

bool jsonFileToParam(const std::string& path, CalibratorParameters& params)
{
    std::string why;
    const bool ok = guarded(why, [&] {
        std::string text;
        return readWholeFile(path, text, why) &&
               parseRecord(text.data(), text.data() + text.size(), params, why);
    });
    if (!ok) {
        Logger::Instance().log_(4, kSource, __LINE__, "The calibration file %s cannot be read: %s.",
                                path.c_str(), why.c_str());
    }
    return ok;
}

bool jsonDataToParam(const std::vector<uint8_t>& bytes, CalibratorParameters& params)
{
    std::string why;
    const bool ok = guarded(why, [&] {
        const char* first = reinterpret_cast<const char*>(bytes.data());
        return parseRecord(first, first + bytes.size(), params, why);
    });
    if (!ok) {
        Logger::Instance().log_(4, kSource, __LINE__, "The calibration data cannot be read: %s.",
                                why.c_str());
    }
    return ok;
}

bool paramToJsonFile(const CalibratorParameters& params, const std::string& path)
{
    std::string why;
    const bool ok = guarded(why, [&] {
        Json document = Json::object();
        return buildDocument(params, document, why) && replaceFile(path, document.dump(4) + "\n", why);
    });
    if (!ok) {
        Logger::Instance().log_(4, kSource, __LINE__, "The calibration file %s cannot be written: %s.",
                                path.c_str(), why.c_str());
    }
    return ok;
}

} // namespace tarvo
