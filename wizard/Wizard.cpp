#include "wizard/Wizard.h"

#include "wizard/Form1.h"
#include "wizard/Form2.h"
#include "wizard/Form3.h"
#include "wizard/Form4.h"

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

Wizard::Wizard() = default;
Wizard::~Wizard() = default;

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
