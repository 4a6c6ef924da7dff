#pragma once
// The four pages of the wizard. A page is created, and runs its load steps, the first time it is
// asked for; it then lives until the program ends.

#include <memory>

namespace wizard {

class Form1;
class Form2;
class Form3;
class Form4;

class Wizard {
public:
    Wizard();
    ~Wizard();
    Wizard(const Wizard&) = delete;
    Wizard& operator=(const Wizard&) = delete;

    wizard::Form1& Form1();
    wizard::Form2& Form2();
    wizard::Form3& Form3();
    wizard::Form4& Form4();

    // Starts the program: page 1 loads, running the start-up steps, and shows unless the start-up
    // has already moved on to another page.
    void Start();

private:
    bool AnyPageVisible() const;

    std::unique_ptr<wizard::Form1> form1_;
    std::unique_ptr<wizard::Form2> form2_;
    std::unique_ptr<wizard::Form3> form3_;
    std::unique_ptr<wizard::Form4> form4_;
};

} // namespace wizard
