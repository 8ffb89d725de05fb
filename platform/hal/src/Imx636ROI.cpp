#include "TarvoHal/Imx636ROI.h"

#include "ParamBuilders.h"

#include <algorithm>
#include <cstdio>

namespace tarvo {
namespace {

constexpr int kWidth = 1280, kHeight = 720;
constexpr int kColumnWords = 40, kRowWords = 23;

std::string indexed(const char* prefix, int index)
{
    char name[32];
    std::snprintf(name, sizeof name, "%s%02d", prefix, index);
    return name;
}

// Enable bits for [first, first + count) of `words` 32-bit words; all ones when `all`.
uint32_t maskWord(int word, int first, int count, bool all)
{
    if (all) {
        return 0xFFFFFFFF;
    }
    uint32_t mask = 0;
    for (int bit = 0; bit < 32; ++bit) {
        const int index = word * 32 + bit;
        if (index >= first && index < first + count) {
            mask |= 1u << bit;
        }
    }
    return mask;
}

} // namespace

Imx636ROI::Imx636ROI(std::shared_ptr<RegisterController> controller)
    : CameraToolRegisterWithCallback(std::move(controller), "hal/tools/Imx636ROI")
{
    addParam(boolParam("enable", false, "Filter events by a window"));
    addParam(choiceParam("mode", {"ROI", "RONI"}, "ROI", "Keep the events inside the window, or outside it"));
    addParam(intParam("x", 0, kWidth - 1, 0, "px", "Left column of the window"));
    addParam(intParam("y", 0, kHeight - 1, 0, "px", "Top row of the window"));
    addParam(intParam("x_width", 1, kWidth, kWidth, "px", "Width of the window"));
    addParam(intParam("y_height", 1, kHeight, kHeight, "px", "Height of the window"));
}

bool Imx636ROI::applyParam(const std::string& name, const Value& value)
{
    return writeWindow(name, value);
}

bool Imx636ROI::writeWindow(const std::string& name, const Value& value)
{
    auto pick = [&](const char* param) { return name == param ? value : current(param); };
    const bool enable = pick("enable").b;
    const bool inside = pick("mode").s == "ROI";
    const int x = pick("x").i, y = pick("y").i;
    const int width = std::min(pick("x_width").i, kWidth - x);
    const int height = std::min(pick("y_height").i, kHeight - y);
    for (int word = 0; word < kColumnWords; ++word) {
        if (!writeWord("roi/" + indexed("td_roi_x", word), maskWord(word, x, width, !enable))) {
            return false;
        }
    }
    for (int word = 0; word < kRowWords; ++word) {
        if (!writeWord("roi/" + indexed("td_roi_y", word), maskWord(word, y, height, !enable))) {
            return false;
        }
    }
    return writeField("roi_ctrl", "td_roi_roni_n_en", !enable || inside ? 1 : 0) &&
           writeField("roi_ctrl", "roi_td_en", 1);
}

} // namespace tarvo
