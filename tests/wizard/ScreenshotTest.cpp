// Pictures of the four pages on the sample database, for a person to look at and for the README:
// scripts/screenshots runs this with FENDREL_SHOTS (the folder for the pictures) and FENDREL_SAMPLE
// (the sample database the build made). Skipped otherwise.
#include "WizardFixture.h"

#include "app/pages/ProgressBar.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>

namespace wizard {
namespace {

using ScreenshotTest = WizardTest;

TEST_F(ScreenshotTest, FourPagesOnTheSample) {
    const QString shots = qEnvironmentVariable("FENDREL_SHOTS");
    const QString sample = qEnvironmentVariable("FENDREL_SAMPLE");
    if (shots.isEmpty() || sample.isEmpty()) GTEST_SKIP() << "FENDREL_SHOTS or FENDREL_SAMPLE is not set";
    ASSERT_TRUE(QDir().mkpath(shots));
    QDir().mkpath(folder.filePath("Samples"));
    ASSERT_TRUE(QFile::copy(sample, folder.filePath("Samples/sample.mdb")));
    const auto save = [&](app::Page& page, const QString& name) {
        EXPECT_TRUE(page.isVisible()) << name.toStdString();
        EXPECT_TRUE(page.grab().save(QDir(shots).filePath(name)));
    };

    wizard->Start();
    Form1& page1 = wizard->Form1();
    page1.PushButton1->click(); // the sample
    save(page1, "page1-database.png");
    page1.PushButton3->click();
    save(wizard->Form2(), "page2-table.png");
    wizard->Form2().PushButton3->click();
    Form3& page3 = wizard->Form3();
    save(page3, "page3-field-offered.png");
    const auto address = page3.List1->findItems("Address", Qt::MatchExactly);
    ASSERT_FALSE(address.isEmpty());
    page3.List1->setCurrentItem(address[0]);
    page3.PushButton5->click();
    save(page3, "page3-field.png");
    page3.PushButton3->click();
    Form4& page4 = wizard->Form4();
    page4.Option3->setChecked(true); // Comma-Space
    ASSERT_TRUE(PreviewFollows(page4)) << "the preview did not follow the separator";
    save(page4, "page4-options.png");
    page4.PushButton4->click();
    save(page4, "page4-done.png");
    EXPECT_EQ(page4.PushButton4->text(), "Exit");
    EXPECT_TRUE(platform.messages.shown.isEmpty()) << Messages().join("\n").toStdString();
}

} // namespace
} // namespace wizard
