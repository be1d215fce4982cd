#include "tarnex/tarnex95_app.h"

#include "tarnex/program_icon.h"
#include "tarnex/registry.h"

#include <QVBoxLayout>

namespace tarnex {

TTarnex95Frame::TTarnex95Frame(TProgramState& state, TDialogServices services)
    : client_(new TTarnex95DlgClient(state, services, this)) {
    setObjectName(QStringLiteral("Tarnex95Frame"));
    setWindowTitle(QString::fromLatin1(TTarnex95App::kApplicationName));
    setWindowIcon(ProgramIcon());
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(client_);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    connect(client_, &TTarnex95DlgClient::CloseRequested, this, &QWidget::close);
}

TTarnex95App::TTarnex95App(TProgramState& state, TDialogServices services, TRegistry& registry)
    : state_(state), services_(services), registry_(registry) {}

void TTarnex95App::InitMainWindow() {
    frame_ = std::make_unique<TTarnex95Frame>(state_, services_);
    frame_->show();
}

void TTarnex95App::RegisterProgram(const QStringList& arguments, const QString& programPath) {
    const QString applicationKey = QString::fromLatin1(kApplicationKey);
    const QString iconKey = QStringLiteral("\\DefaultIcon");
    // The registration only names the icon for the desktop; a store that cannot be written costs
    // nothing else, so its failures are not put before the user.
    if (HasUnregisterOption(arguments)) {
        (void)registry_.DeleteKey(applicationKey + iconKey);
        (void)registry_.DeleteKey(QString::fromLatin1(kDocumentKey) + iconKey);
        (void)registry_.DeleteKey(applicationKey);
        return;
    }
    (void)registry_.SetValue(applicationKey + iconKey, programPath + QStringLiteral(",1"));
}

} // namespace tarnex
