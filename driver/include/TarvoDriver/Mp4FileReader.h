#pragma once

#include "TarvoDriver/ApsFileReader.h"

namespace tarvo {

// Frame reader of H.264/MP4 recordings. Loading decodes the file once to learn the exact
// time of every frame; frames are handed out as packed BGR pictures.
class TARVODRIVER_EXPORT Mp4FileReader : public ApsFileReader
{
public:
    explicit Mp4FileReader(const std::string& path);
    ~Mp4FileReader() override;

    bool loadFile() override;
    bool seekTime(uint64_t time) override;
    bool getTimeStamps(std::vector<uint64_t>& timestamps) override;
    bool getNextFrame(ApsFrame& out) override;
    bool getNFrame(int index, ApsFrame& out) override;
    bool getFrameGivenTimeStamp(uint64_t time, ApsFrame& out) override;

private:
    struct Private;
    enum class ReadResult;

    bool readFrameTimestamps();
    // Reads one packet; a video packet that completes a picture becomes `out`.
    ReadResult readFrame(ApsFrame& out);
    uint64_t toMicroseconds(int64_t streamTime) const;
    int64_t toStreamTime(uint64_t microseconds) const;

    std::string m_filePath;
    std::vector<uint64_t> m_frameTimestamps;
    std::unique_ptr<Private> m_private;
};

} // namespace tarvo
