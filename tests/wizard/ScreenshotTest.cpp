// Pictures of the four pages for a person to look at: set FENDREL_SHOTS to a folder and run
// wizard_tests --gtest_filter='Screenshot*'. Skipped otherwise.
#include "WizardFixture.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>

namespace wizard {
namespace {

using ScreenshotTest = WizardTest;

TEST_F(ScreenshotTest, FourPages) {
    const QString shots = qEnvironmentVariable("FENDREL_SHOTS");
    if (shots.isEmpty()) GTEST_SKIP() << "FENDREL_SHOTS is not set";
    QDir().mkpath(shots);

    wizard->Start();
    wizard->Form1().Text1->setText("/home/ann/Databases/Customers.accdb");
    wizard->Form1().Text2->setText("secret");
    wizard->Form2().List1->addItems({"Customers", "Orders", "Suppliers"});
    wizard->Form2().List1->setCurrentRow(0);
    wizard->Form3().List1->addItems({"ID", "Name", "Street", "Post Code"});
    wizard->Form3().List2->addItem("City");
    app::Page* pages[] = {&wizard->Form1(), &wizard->Form2(), &wizard->Form3(), &wizard->Form4()};
    for (int i = 0; i < 4; ++i) {
        pages[i]->Show();
        EXPECT_TRUE(pages[i]->grab().save(QDir(shots).filePath(QString("page%1.png").arg(i + 1))));
    }
}

} // namespace
} // namespace wizard
