#include "FileRecorder/RawStreamRecorder.h"

#include "DriverLog.h"

namespace tarvo {
namespace {

constexpr const char* kLogSource = "src/FileRecorder/RawStreamRecorder";

// Until the file recorder is built, a camera refuses recordings and says why; it never asks
// for the stream, so streaming costs nothing here.
class RecordingUnavailable final : public RawStreamRecorder
{
public:
    void setClock(Clock) override {}
    void setFileInfo(const DvsFileInfo&) override {}
    bool isActive() const override { return false; }
    void pushData(const std::vector<uint8_t>&) override {}

    void setFileCacheTime(uint16_t seconds, const std::string&) override
    {
        if (seconds > 0) {
            TARVO_LOG(log::kWarning, "Caching the stream is not available yet; %u s ignored", seconds);
        }
    }

    bool startRecording(const std::string& path, const DvsFileInfo&) override
    {
        TARVO_LOG(log::kError, "Cannot record %s: recording is not available yet", path.c_str());
        return false;
    }

    bool stopRecording() override { return false; }
};

} // namespace

std::unique_ptr<RawStreamRecorder> createRawStreamRecorder()
{
    return std::make_unique<RecordingUnavailable>();
}

} // namespace tarvo
