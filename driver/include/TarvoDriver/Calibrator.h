#pragma once

#include "TarvoBase/ApsFrame.h"
#include "TarvoBase/CalibrationJson.h"
#include "TarvoBase/CalibratorParameters.h"
#include "TarvoBase/EventTypes.h"
#include "TarvoBase/Logger.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <mutex>
#include <string>
#include <vector>

namespace tarvo {

// The plane transform between a fusion camera's event grid (DVS, 1280 × 720) and its frame grid
// (APS, 3840 × 2160), held as two 2 × 3 affine matrices (a b c / d e f, mapping (x, y) to
// (a·x + b·y + c, d·x + e·y + f)): `dvsToAps` ("1") and `apsToDvs` ("0"). It resamples frames into
// the event grid, moves events into the frame grid, and takes a manual translation from the user.
//
// Every member may be called from any thread: the offsets are atomic, and the matrices and sizes
// are read and replaced under one lock, so a frame is mapped with one consistent calibration.
class Calibrator
{
public:
    static constexpr double kSingularDeterminant = 1e-12;

    // Sensor sizes 1280 × 720 and 3840 × 2160; the two sensors centred on each other, a frame
    // pixel 145/486 of an event pixel.
    Calibrator()
    {
        const double s = 145.0 / 486.0;
        // 486/145, -6528/29 and -3672/29, to the digit as a fusion camera leaves the factory with.
        m_dvsToAps = {3.351724137931035, 0, -225.10344827586232, 0, 3.351724137931035, -126.62068965517255};
        m_apsToDvs = {s, 0, (m_params.dvsWidth / 2) - (m_params.apsWidth / 2) * s,
                      0, s, (m_params.dvsHeight / 2) - (m_params.apsHeight / 2) * s};
    }

    Calibrator(const Calibrator&) = delete;
    Calibrator& operator=(const Calibrator&) = delete;

    // Takes the record's sizes and its matrices "1" (event to frame grid) and "0" (frame to event
    // grid), and clears the offsets. A record without both matrices in full (six finite values
    // each, "1" invertible) or with a zero size is refused: false, a logged reason, and the
    // calibration in force stays.
    bool loadCalibrationParam(const CalibratorParameters& p)
    {
        const char* why = unusableBecause(p);
        if (why != nullptr) {
            Logger::Instance().log_(3, kSource, __LINE__,
                                    "Calibration refused (%s); the previous one stays in force.", why);
            return false;
        }
        std::lock_guard<std::mutex> lock(m_mutex);
        m_params = p;
        m_dvsToAps.assign(p.transforms.at("1").begin(), p.transforms.at("1").begin() + kMatrixValues);
        m_apsToDvs.assign(p.transforms.at("0").begin(), p.transforms.at("0").begin() + kMatrixValues);
        m_offsetX = 0;
        m_offsetY = 0;
        m_sizeMismatchLogged = false;
        return true;
    }

    // Folds the offsets into `dvsToAps`, makes `apsToDvs` its inverse, stores both in the record
    // and writes the record to `path` (paramToJsonFile); the offsets go back to 0, so the picture
    // stays where it is. The folded calibration stays in force also when the file cannot be
    // written; the result says whether it was.
    bool saveCalibrationParam(const std::string& path)
    {
        CalibratorParameters params;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            // Taken and cleared in one step: a correction the user makes meanwhile is kept.
            m_dvsToAps[2] += m_offsetX.exchange(0);
            m_dvsToAps[5] += m_offsetY.exchange(0);
            computeInverseAffine(m_dvsToAps.data(), m_apsToDvs.data());
            m_params.transforms["1"] = m_dvsToAps;
            m_params.transforms["0"] = m_apsToDvs;
            params = m_params;
        }
        if (!paramToJsonFile(params, path)) {
            Logger::Instance().log_(4, kSource, __LINE__, "The calibration could not be saved to %s.",
                                    path.c_str());
            return false;
        }
        return true;
    }

    // Replaces (does not add to) the user's translation, in frame pixels; the next mapApsToDvs
    // uses it. Values that are not finite are ignored.
    void adjustAffineTranslation(double dx, double dy)
    {
        if (!std::isfinite(dx) || !std::isfinite(dy)) {
            Logger::Instance().log_(3, kSource, __LINE__, "Calibration offset (%f, %f) ignored.", dx, dy);
            return;
        }
        m_offsetX = dx;
        m_offsetY = dy;
    }

    // dst = the inverse of the affine matrix src (six values each). A matrix whose determinant is
    // below 1e-12 in size has no usable inverse: dst is left as it was.
    static void computeInverseAffine(const double* src, double* dst)
    {
        const double det = src[0] * src[4] - src[1] * src[3];
        if (std::fabs(det) < kSingularDeterminant) {
            return;
        }
        const double i = 1.0 / det;
        dst[0] = src[4] * i;
        dst[1] = -src[1] * i;
        dst[2] = -(dst[0] * src[2] + dst[1] * src[5]);
        dst[3] = -src[3] * i;
        dst[4] = src[0] * i;
        dst[5] = -(dst[3] * src[2] + dst[4] * src[5]);
    }

    // Resamples a 3-byte-per-pixel frame into the event grid: event pixel (x, y) takes the frame
    // pixel at the truncation toward zero of `dvsToAps`·(x, y) plus the offsets; pixels that land
    // outside the frame stay 0. The frame's own width, height and data size bound every read,
    // also when they differ from the calibration's frame size. The result owns its bytes and
    // carries the frame's two timestamps.
    ApsFrame mapApsToDvs(const ApsFrame& frame) const
    {
        const Transform t = snapshot();
        ApsFrame out(t.dvsWidth, t.dvsHeight, frame.getStartTimestamp(), frame.getEndTimestamp());
        const size_t rowBytes = size_t(frame.getWidth()) * 3;
        const size_t rows = rowBytes == 0 || frame.data() == nullptr
                                ? 0
                                : std::min<size_t>(frame.getHeight(), frame.getDataSize() / rowBytes);
        if (rows == 0 || out.getDataSize() == 0) {
            return out;
        }
        if (frame.getWidth() != t.apsWidth || frame.getHeight() != t.apsHeight) {
            logSizeMismatch(frame);
        }
        const Bounds bounds{double(frame.getWidth()), double(rows)};
        if (t.m[1] == 0 && t.m[3] == 0) {
            mapSeparable(t, bounds, frame.data(), rowBytes, out.data());
        } else {
            mapGeneral(t, bounds, frame.data(), rowBytes, out.data());
        }
        return out;
    }

    // Moves event coordinates into the frame grid in place with `dvsToAps` (no offsets, no
    // clipping): each result is truncated toward zero to 32 bits, whose low 16 bits are kept.
    void mapDvsToAps(Event2D* first, Event2D* last) const
    {
        const Transform t = snapshot();
        for (Event2D* event = first; event != last; ++event) {
            const double x = event->x;
            const double y = event->y;
            event->x = lowBits(x * t.m[0] + y * t.m[1] + t.m[2]);
            event->y = lowBits(x * t.m[3] + y * t.m[4] + t.m[5]);
        }
    }

    CalibratorParameters getCalibrationParam() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_params;
    }
    std::vector<double> getDvsToAps() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_dvsToAps;
    }
    std::vector<double> getApsToDvs() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_apsToDvs;
    }
    double getOffsetX() const { return m_offsetX; }
    double getOffsetY() const { return m_offsetY; }

private:
    static constexpr const char* kSource = "include/TarvoDriver/Calibrator";
    static constexpr size_t kMatrixValues = 6;

    // One mapping's view of the calibration: `dvsToAps` with the offsets added to c and f.
    struct Transform
    {
        double m[kMatrixValues];
        double offsetX;
        double offsetY;
        uint32_t dvsWidth;
        uint32_t dvsHeight;
        uint32_t apsWidth;
        uint32_t apsHeight;
    };

    // The frame's readable extent, in pixels.
    struct Bounds
    {
        double width;
        double height;
    };

    Transform snapshot() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        Transform t;
        std::copy(m_dvsToAps.begin(), m_dvsToAps.end(), t.m);
        t.offsetX = m_offsetX;
        t.offsetY = m_offsetY;
        t.dvsWidth = m_params.dvsWidth;
        t.dvsHeight = m_params.dvsHeight;
        t.apsWidth = m_params.apsWidth;
        t.apsHeight = m_params.apsHeight;
        return t;
    }

    static const char* unusableBecause(const CalibratorParameters& p)
    {
        if (p.dvsWidth == 0 || p.dvsHeight == 0 || p.apsWidth == 0 || p.apsHeight == 0) {
            return "a sensor size is 0";
        }
        for (const char* key : {"0", "1"}) {
            const auto matrix = p.transforms.find(key);
            if (matrix == p.transforms.end() || matrix->second.size() < kMatrixValues) {
                return "the matrices \"0\" and \"1\" need six values each";
            }
            if (!std::all_of(matrix->second.begin(), matrix->second.begin() + kMatrixValues,
                             [](double v) { return std::isfinite(v); })) {
                return "a matrix value is not finite";
            }
        }
        const std::vector<double>& m = p.transforms.at("1");
        if (std::fabs(m[0] * m[4] - m[1] * m[3]) < kSingularDeterminant) {
            return "the matrix \"1\" cannot be inverted";
        }
        return nullptr;
    }

    // A frame coordinate, already truncated toward zero, or -1 when it lies outside [0, limit).
    // Checked in double before converting: -1 < v < limit is exactly 0 <= trunc(v) < limit.
    static int64_t sampleIndex(double v, double limit) { return v > -1.0 && v < limit ? int64_t(v) : -1; }

    static uint16_t lowBits(double v)
    {
        int32_t truncated = 0;
        if (v >= 2147483648.0) {
            truncated = std::numeric_limits<int32_t>::max();
        } else if (v <= -2147483649.0) {
            truncated = std::numeric_limits<int32_t>::min();
        } else if (!std::isnan(v)) {
            truncated = int32_t(v);
        }
        return uint16_t(uint32_t(truncated));
    }

    // b = d = 0: a frame column depends on the event column only and a frame row on the event row
    // only, so each is worked out once (the same arithmetic as per pixel, so the same result).
    static void mapSeparable(const Transform& t, const Bounds& bounds, const uint8_t* source, size_t rowBytes,
                             uint8_t* target)
    {
        std::vector<int64_t> columnBytes(t.dvsWidth);
        for (uint32_t x = 0; x < t.dvsWidth; ++x) {
            const int64_t column = sampleIndex(x * t.m[0] + 0.0 * t.m[1] + t.m[2] + t.offsetX, bounds.width);
            columnBytes[x] = column < 0 ? -1 : column * 3;
        }
        for (uint32_t y = 0; y < t.dvsHeight; ++y) {
            const int64_t row = sampleIndex(0.0 * t.m[3] + y * t.m[4] + t.m[5] + t.offsetY, bounds.height);
            if (row < 0) {
                continue;
            }
            const uint8_t* sourceRow = source + size_t(row) * rowBytes;
            uint8_t* targetRow = target + size_t(y) * t.dvsWidth * 3;
            for (uint32_t x = 0; x < t.dvsWidth; ++x) {
                if (columnBytes[x] >= 0) {
                    std::memcpy(targetRow + size_t(x) * 3, sourceRow + columnBytes[x], 3);
                }
            }
        }
    }

    // Any other matrix: the products x·a and x·d are taken once per column and y·b and y·e once
    // per row, then summed per pixel in the order of the direct formula, so nothing differs from
    // evaluating x·a + y·b + c + offsetX at every pixel.
    static void mapGeneral(const Transform& t, const Bounds& bounds, const uint8_t* source, size_t rowBytes,
                           uint8_t* target)
    {
        std::vector<double> xa(t.dvsWidth);
        std::vector<double> xd(t.dvsWidth);
        for (uint32_t x = 0; x < t.dvsWidth; ++x) {
            xa[x] = x * t.m[0];
            xd[x] = x * t.m[3];
        }
        for (uint32_t y = 0; y < t.dvsHeight; ++y) {
            const double yb = y * t.m[1];
            const double ye = y * t.m[4];
            uint8_t* targetRow = target + size_t(y) * t.dvsWidth * 3;
            for (uint32_t x = 0; x < t.dvsWidth; ++x) {
                const int64_t column = sampleIndex(xa[x] + yb + t.m[2] + t.offsetX, bounds.width);
                const int64_t row = sampleIndex(xd[x] + ye + t.m[5] + t.offsetY, bounds.height);
                if (column >= 0 && row >= 0) {
                    std::memcpy(targetRow + size_t(x) * 3,
                                source + size_t(row) * rowBytes + size_t(column) * 3, 3);
                }
            }
        }
    }

    void logSizeMismatch(const ApsFrame& frame) const
    {
        if (!m_sizeMismatchLogged.exchange(true)) {
            Logger::Instance().log_(
                3, kSource, __LINE__,
                "A frame of %ux%u does not match the calibration's frame size; only pixels "
                "inside the frame are sampled.",
                frame.getWidth(), frame.getHeight());
        }
    }

    mutable std::mutex m_mutex; // guards m_params, m_dvsToAps and m_apsToDvs
    CalibratorParameters m_params;
    std::vector<double> m_dvsToAps;
    std::vector<double> m_apsToDvs;
    std::atomic<double> m_offsetX{0};
    std::atomic<double> m_offsetY{0};
    mutable std::atomic<bool> m_sizeMismatchLogged{false}; // one warning per loaded calibration
};

} // namespace tarvo
