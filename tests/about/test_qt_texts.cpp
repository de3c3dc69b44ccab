// Qt's own texts in the user's language: the message boxes' buttons and Qt's file dialog, from the
// system's catalogue of Qt's translations.
#include "application_setup.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QTranslator>
#include <gtest/gtest.h>

namespace {

QString YesText() {
    QMessageBox box(QMessageBox::Question, QStringLiteral("Quarnel"), QStringLiteral("Save?"),
                    QMessageBox::Yes | QMessageBox::No);
    return box.button(QMessageBox::Yes)->text();
}

// The buttons of Qt's own file dialog (the one Linux desktops without a portal get).
QStringList FileDialogButtons() {
    QFileDialog dialog;
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    QStringList texts;
    for (const QAbstractButton* button : dialog.findChild<QDialogButtonBox*>()->buttons())
        texts << button->text();
    return texts;
}

} // namespace

TEST(QtTexts, FollowTheLocaleUntilTheTranslatorGoes) {
    // Whatever language this run has: the texts before and after the German catalogue are its own.
    const QString yes = YesText();
    const QStringList buttons = FileDialogButtons();

    QTranslator* german = appearance::TranslateQtTexts(QLocale(QLocale::German, QLocale::Germany));
    ASSERT_NE(german, nullptr) << "Qt's German catalogue is missing (Debian's qt6-translations-l10n)";
    EXPECT_EQ(YesText(), QStringLiteral("&Ja"));
    EXPECT_TRUE(FileDialogButtons().contains(QStringLiteral("Abbrechen"))) << FileDialogButtons().join(u',').toStdString();

    delete german;
    EXPECT_EQ(YesText(), yes);
    EXPECT_EQ(FileDialogButtons(), buttons);
}
