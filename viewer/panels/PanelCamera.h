#pragma once

#include "TarvoHal/CameraDescription.h"
#include "TarvoHal/CameraTool.h"
#include "TarvoHal/ToolInfo.h"

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// What a settings panel uses of an open camera: its description, its tools in ascending type
// order with what each says about itself, and the camera's configuration-file operations. Event
// cameras and fusion cameras offer these under the same names, so that one template makes it of
// either. The functions hold the camera, which lives as long as the panel shows it.
struct PanelCamera
{
    using Tool = std::pair<tarvo::ToolInfo, std::shared_ptr<tarvo::CameraTool>>;

    tarvo::CameraDescription description;
    std::vector<Tool> tools;
    // Both take a file path and return whether the camera wrote or applied the whole file.
    std::function<bool(const std::string&)> exportConfig;
    std::function<bool(const std::string&)> loadConfig;
    std::function<bool()> isConnected;
    // A fusion camera: its frames are laid over its events through a calibration.
    bool fusion = false;

    // Empty when there is no camera.
    template <typename Camera> static PanelCamera of(const std::shared_ptr<Camera>& camera)
    {
        PanelCamera made;
        if (!camera) {
            return made;
        }
        made.description = camera->getDescription();
        for (const tarvo::ToolInfo& info : camera->getAllToolsInfo()) {
            if (std::shared_ptr<tarvo::CameraTool> tool = camera->getTool(info.name)) {
                made.tools.emplace_back(info, std::move(tool));
            }
        }
        made.exportConfig = [camera](const std::string& path) {
            return camera->exportCameraConfigParams(path);
        };
        made.loadConfig = [camera](const std::string& path) { return camera->loadCameraConfigParams(path); };
        made.isConnected = [camera] { return camera->isConnected(); };
        return made;
    }

    bool isEmpty() const { return !exportConfig || !loadConfig || !isConnected; }
};
