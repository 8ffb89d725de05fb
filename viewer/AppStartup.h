#pragma once

#include <QString>

class QTranslator;

// The steps of the viewer's start that tests repeat: embedded resources, font and translation.
class AppStartup
{
public:
    static constexpr const char* kVersion = "1.2.0";
    static constexpr const char* kFontResource = ":/font/NotoSansSC-Medium.ttf";
    static constexpr const char* kWindowIconResource = ":/img/assets/Tarvo logo_navigate.png";
    static constexpr const char* kWebPage = "https://www.tarvo.example/";

    // Registers the icon resources compiled into the viewer library.
    static void initResources();
    // Adds the embedded font and makes its first family the application font; false (logged)
    // when the font is missing or unreadable.
    static bool loadFont();
    // Installs the translation of "zh" or, for any other code, English, replacing the one
    // installed before; false (logged) when it cannot be loaded or installed.
    static bool installTranslator(const QString& language);
    // The translator installed last, or null.
    static QTranslator* currentTranslator();
    // Puts the simulated cameras (three by default, or the user's device list) behind the
    // hardware layer's camera search, beside any other device back end.
    static void installSimulatedCameras();
};
