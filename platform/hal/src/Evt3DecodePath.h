#pragma once

namespace tarvo {

// How the EVT 3.0 decoder takes its words: one at a time, or in blocks of 16 (AVX2) or 32
// (AVX-512) words where the processor has those instructions.
enum class Evt3DecodePath
{
    Scalar,
    Avx2,
    Avx512
};

const char* decodePathName(Evt3DecodePath path);
bool cpuSupports(Evt3DecodePath path);
// The widest path this processor runs, found once.
Evt3DecodePath widestDecodePath();

} // namespace tarvo
