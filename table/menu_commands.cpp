#include "frm_info.h"
#include "main_window.h"

#include <QAction>

namespace {

// Major, a point, then minor and patch run together: 1.0.17 reads "V1.017".
QString VersionText()
{
    return QStringLiteral("V%1.%2%3")
        .arg(QUINTARA_VERSION_MAJOR)
        .arg(QUINTARA_VERSION_MINOR)
        .arg(QUINTARA_VERSION_PATCH);
}

} // namespace

void frmQuintara::mnuReset_Click()
{
    m_state.Account = 100;
    showAccount();
}

void frmQuintara::mnuMessages_Click()
{
    m_state.ShowMessages = !m_state.ShowMessages;
    // The action is checkable, so Qt has already flipped its mark when a menu
    // click lands here; setting it from the state keeps the two in step either way.
    mnuMessages->setChecked(m_state.ShowMessages);
}

void frmQuintara::mnuQuit_Click()
{
    close();
}

void frmQuintara::mnuInfo_Click()
{
    // Made at each opening and gone when it closes; exec() holds the table
    // until then.
    frmInfo info(this);
    info.exec();
}

void frmQuintara::mnuAbout_Click()
{
    const QString prompt = QStringLiteral("Quintara ") + VersionText() + QStringLiteral("\r\n") +
                           QStringLiteral("\u00a9 2026 The Quintara developers");
    m_ports.host.messageBox(prompt, BoxStyle::Information, QStringLiteral("About Quintara"));
}
