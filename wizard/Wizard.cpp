#include "wizard/Wizard.h"

#include "wizard/Form1.h"
#include "wizard/Form2.h"
#include "wizard/Form3.h"
#include "wizard/Form4.h"

#include "db/Access.h"

#include <QLineEdit>

namespace wizard {

namespace {

template <class Form> Form& Use(std::unique_ptr<Form>& form, Wizard& wizard) {
    if (!form) {
        form = std::make_unique<Form>(wizard);
        form->Load();
    }
    return *form;
}

template <class Form> bool Visible(const std::unique_ptr<Form>& form) {
    return form && form->isVisible();
}

} // namespace

Wizard::Wizard() {
    // Every connection string is built from page 1's two boxes as they read at that moment.
    const auto box = [this](QLineEdit* wizard::Form1::*text) {
        return [this, text]() { return form1_ ? ((*form1_).*text)->text().toStdString() : std::string(); };
    };
    Access::SetConnectionInputs({box(&wizard::Form1::Text1), box(&wizard::Form1::Text2)});
}

Wizard::~Wizard() {
    Access::SetConnectionInputs({});
}

wizard::Form1& Wizard::Form1() {
    return Use(form1_, *this);
}
wizard::Form2& Wizard::Form2() {
    return Use(form2_, *this);
}
wizard::Form3& Wizard::Form3() {
    return Use(form3_, *this);
}
wizard::Form4& Wizard::Form4() {
    return Use(form4_, *this);
}

void Wizard::Start() {
    wizard::Form1& first = Form1();
    if (!AnyPageVisible()) first.Show();
}

bool Wizard::AnyPageVisible() const {
    return Visible(form1_) || Visible(form2_) || Visible(form3_) || Visible(form4_);
}

} // namespace wizard
