#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

class QWidget;

// Points the home folder at a temporary directory and turns on the test mode of
// QStandardPaths, so that no test touches the real user folders. Restores HOME on destruction.
class TestHome
{
public:
    TestHome();
    ~TestHome();
    TestHome(const TestHome&) = delete;
    TestHome& operator=(const TestHome&) = delete;

    bool isValid() const { return m_dir.isValid(); }
    QString path() const { return m_dir.path(); }
    QString documents() const { return m_dir.path() + "/Documents"; }

private:
    QTemporaryDir m_dir;
    QByteArray m_oldHome;
};

namespace TestSupport {

// Application names and resources as the viewer sets them at start.
void initViewerApplication();
// Any Qt warning in the running test function fails it (expected ones are ignored with
// QTest::ignoreMessage); call from init().
void failOnAnyWarning();
// Saves a picture of `widget` as build/viewer/tests/renders/<name>.png; true on success.
bool saveRender(QWidget* widget, const QString& name);

} // namespace TestSupport
