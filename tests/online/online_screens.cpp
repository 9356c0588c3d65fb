// Shows the update notice and the feedback window side by side for a few seconds, so a
// script can take a screenshot of them (under Xvfb).
#include "online/feedback_form.h"
#include "online/form_post.h"
#include "online/new_version_form.h"
#include "platform/dialogs.h"
#include "platform/icons.h"
#include "platform/shell.h"

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTimer>

namespace {

class NoDialogs final : public pixmorrow::Dialogs {
public:
    void showMessage(const QString&, const QString&, pixmorrow::MessageIcon) override {}
    int MessageDlgWithCaptions(const QString&, pixmorrow::DialogKind, pixmorrow::DialogButtons,
                               const QStringList&, const QString&) override {
        return 0;
    }
    void beep() override {}
};

class NoShell final : public pixmorrow::Shell {
public:
    bool openUrl(const QString&) override { return true; }
    bool openPath(const QString&) override { return true; }
    bool showItemProperties(const QString&) override { return true; }
    bool showItemInFileManager(const QString&) override { return true; }
    bool startDetached(const QString&, const QStringList&, const QString&) override {
        return false;
    }
};

class NoPoster final : public pixmorrow::FormPoster {
public:
    QString PostForm(const QString&, const pixmorrow::FormFields&, int) override { return {}; }
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setWindowIcon(pixmorrow::applicationIcon());
    const int seconds = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 4;
    NoDialogs dialogs;
    NoShell shell;
    NoPoster poster;
    pixmorrow::AppIdentity identity{QStringLiteral("TARNWICK"), QStringLiteral("Pixmorrow"),
                                    QStringLiteral("2.0"), QStringLiteral("TARNWICK - Pixmorrow")};

    pixmorrow::TFeedbackForm feedback(dialogs, poster, identity);
    feedback.Memo1->setPlainText(QStringLiteral("The batch conversion is quick."));
    feedback.Edit1->setText(QStringLiteral("someone@mail.example"));
    feedback.Image1MouseDown(Qt::LeftButton);
    feedback.move(60, 140);
    feedback.show();

    pixmorrow::TNewVer notice(QStringLiteral("2.1"), QStringLiteral("https://downloads.example/"),
                              identity, shell, dialogs);
    QTimer::singleShot(seconds * 1000, &app, &QApplication::quit);
    return app.exec();
}
