#pragma once

// What a typed text is worth: a field shows a usable entry in the accent colour and an unusable
// one in the error colour; neutral is its plain frame.
enum class VxInputState
{
    Neutral,
    Valid,
    Invalid,
};
