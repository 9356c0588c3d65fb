#pragma once

// What a keyboard user meets in a window: where Tab takes the focus, and which mnemonics are
// live at the same time.
#include "platform/mnemonics.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QTest>

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace pixmorrow::testing {

// The widget with the focus, or its nearest ancestor in `known` (a spin box's or combo
// box's inner text field counts as the box).
inline QWidget* focusedAmong(const std::vector<QWidget*>& known) {
    for (QWidget* w = QApplication::focusWidget(); w != nullptr; w = w->parentWidget()) {
        if (std::find(known.begin(), known.end(), w) != known.end())
            return w;
    }
    return QApplication::focusWidget();
}

// Presses Tab (Shift+Tab when `backwards`) through the application once per expected widget
// and checks that the focus lands on each in turn.
inline void expectTabOrder(const std::vector<QWidget*>& expected, bool backwards = false) {
    for (std::size_t i = 0; i < expected.size(); ++i) {
        QWidget* from = QApplication::focusWidget();
        ASSERT_NE(from, nullptr) << "nothing has the focus before step " << i;
        QTest::keyClick(from, Qt::Key_Tab, backwards ? Qt::ShiftModifier : Qt::NoModifier);
        QWidget* now = focusedAmong(expected);
        EXPECT_EQ(now, expected[i])
            << "step " << i << ": focus on " << (now ? now->metaObject()->className() : "nothing")
            << " " << (now ? now->objectName().toStdString() : std::string());
    }
}

// Keys typed through the X server, as a user types them: "alt+f", "ctrl+shift+o", "Tab".
inline void typeThroughWindowSystem(const QString& keys) {
    const int status = QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("key"), keys});
    ASSERT_EQ(status, 0) << "xdotool could not type " << keys.toStdString();
    // Let the X server's events arrive.
    QTest::qWait(150);
}

// Waits for what typed keys lead to: a mnemonic's click, for one, comes a moment after the
// key, when the button's short press is over.
template <typename Condition>
bool eventually(Condition condition) {
    return QTest::qWaitFor(condition, 3000);
}

// The mnemonics live together in `window`: its visible buttons, the labels that focus an
// input, and its menu bar's menus. Each letter maps to the captions that carry it.
inline std::map<QChar, QStringList> liveMnemonics(QWidget* window) {
    std::map<QChar, QStringList> found;
    const auto add = [&found](const QString& caption) {
        const QChar letter = mnemonicOf(caption);
        if (!letter.isNull())
            found[letter] << caption;
    };
    for (QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
        if (button->isVisibleTo(window))
            add(button->text());
    }
    for (QLabel* label : window->findChildren<QLabel*>()) {
        if (label->buddy() && label->isVisibleTo(window))
            add(label->text());
    }
    if (auto* main = qobject_cast<QMainWindow*>(window)) {
        for (QAction* action : main->menuBar()->actions())
            add(action->text());
    }
    return found;
}

inline std::map<QChar, QStringList> liveMnemonics(QMenu* menu) {
    std::map<QChar, QStringList> found;
    for (QAction* action : menu->actions()) {
        const QChar letter = mnemonicOf(action->text());
        if (action->isVisible() && !action->isSeparator() && !letter.isNull())
            found[letter] << action->text();
    }
    return found;
}

// Every caption of `expected` has its mnemonic, and no letter serves two captions.
template <typename Where>
void expectMnemonicsApart(Where* where, const QStringList& expected) {
    const std::map<QChar, QStringList> found = liveMnemonics(where);
    QStringList all;
    for (const auto& [letter, captions] : found) {
        EXPECT_EQ(captions.size(), 1) << "Alt+" << QString(letter).toStdString() << " serves "
                                      << captions.join(QStringLiteral(", ")).toStdString();
        all << captions;
    }
    for (const QString& caption : expected)
        EXPECT_TRUE(all.contains(caption)) << "no mnemonic: " << caption.toStdString();
}

}  // namespace pixmorrow::testing
