// What the settings dialogs of the menu share: each opening starts on its first control (the
// choice in force, where there is one), whatever had the focus when it was last closed; Return
// means OK; and each bears the program's icon.

#include "core/net/QslInfoRequest.h"
#include "core/settings/AppSettings.h"
#include "ui/qslinfo/DatabaseForm.h"
#include "ui/settings/BackgroundForm.h"
#include "ui/settings/SpeakForm.h"
#include "ui/update/UpdateForm.h"
#include "ui/widgets/DialogFrame.h"

#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

namespace {

// Opens a dialog with the stored setting of that number, by the call that opens it from the menu.
using Opener = std::function<void(QDialog &, int stored)>;

struct DialogCase
{
    std::function<std::unique_ptr<QDialog>()> make;
    Opener open;
};

const QslInfoServer Server = builtInQslInfoServer();

} // namespace

Q_DECLARE_METATYPE(DialogCase)

class SettingsDialogsTest : public QObject
{
    Q_OBJECT

private slots:
    void openingsStartOnTheFirstControl_data();
    void openingsStartOnTheFirstControl();
    void windowsBearTheProgramsIcon_data();
    void windowsBearTheProgramsIcon();
};

void SettingsDialogsTest::openingsStartOnTheFirstControl_data()
{
    QTest::addColumn<DialogCase>("dialog");
    QTest::addColumn<QStringList>("focused"); // at the first and at the second opening

    QTest::newRow("Background") << DialogCase{
                                       [] { return std::make_unique<BackgroundForm>(); },
                                       [](QDialog &dialog, int stored) {
                                           auto &form = static_cast<BackgroundForm &>(dialog);
                                           form.setBackground(static_cast<Background>(stored));
                                           form.exec();
                                       }}
                                << QStringList{"BlueButton", "WhiteButton"};
    QTest::newRow("Voice output") << DialogCase{[] { return std::make_unique<SpeakForm>(); },
                                                [](QDialog &dialog, int stored) {
                                                    auto &form = static_cast<SpeakForm &>(dialog);
                                                    form.setChoices(stored == 1, true, false);
                                                    form.exec();
                                                }}
                                  << QStringList{"SortBox", "SortBox"};
    QTest::newRow("Update") << DialogCase{[] { return std::make_unique<UpdateForm>(); },
                                          [](QDialog &dialog, int stored) {
                                              static_cast<UpdateForm &>(dialog).exec(
                                                  static_cast<UpdateMode>(stored),
                                                  "data of 2025-09-30, revision 0");
                                          }}
                            << QStringList{"ManualButton", "AutoButton"};
    QTest::newRow("QSL information service")
        << DialogCase{[] { return std::make_unique<DatabaseForm>(Server); },
                      [](QDialog &dialog, int stored) {
                          AppSettings settings;
                          settings.qslInfoMode = static_cast<QslInfoMode>(stored);
                          static_cast<DatabaseForm &>(dialog).edit(settings);
                      }}
        << QStringList{"ManualButton", "AutoButton"};
}

void SettingsDialogsTest::openingsStartOnTheFirstControl()
{
    QFETCH(DialogCase, dialog);
    QFETCH(QStringList, focused);
    const std::unique_ptr<QDialog> form = dialog.make();
    for (int opening = 0; opening < 2; ++opening) {
        QString focus;
        QString defaultButton;
        QTimer::singleShot(0, form.get(), [&] {
            if (QWidget *widget = form->focusWidget())
                focus = widget->objectName();
            for (const QPushButton *button : form->findChildren<QPushButton *>()) {
                if (button->isDefault())
                    defaultButton = button->objectName();
            }
            // Left on Cancel, which must not carry over to the next opening.
            form->findChild<QWidget *>(QStringLiteral("CancelButton"))->setFocus();
            form->reject();
        });
        dialog.open(*form, opening + 1);
        QCOMPARE(focus, focused.at(opening));
        QCOMPARE(defaultButton, QStringLiteral("OkButton"));
    }
}

void SettingsDialogsTest::windowsBearTheProgramsIcon_data()
{
    // Made without a parent, as the program makes the update and service dialogs.
    openingsStartOnTheFirstControl_data();
}

void SettingsDialogsTest::windowsBearTheProgramsIcon()
{
    QFETCH(DialogCase, dialog);
    const QImage expected = programIcon().pixmap(32).toImage();
    QVERIFY(!expected.isNull());
    QCOMPARE(dialog.make()->windowIcon().pixmap(32).toImage(), expected);
}

QTEST_MAIN(SettingsDialogsTest)
#include "SettingsDialogsTest.moc"
