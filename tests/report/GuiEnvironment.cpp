#include <QGuiApplication>
#include <gtest/gtest.h>

#include <memory>

namespace {

// Text drawing needs the font database of a running application.
class GuiEnvironment : public testing::Environment {
public:
    void SetUp() override {
        if (QGuiApplication::instance() == nullptr) {
            application_ = std::make_unique<QGuiApplication>(argc_, argv_);
        }
    }
    void TearDown() override { application_.reset(); }

private:
    int argc_ = 1;
    char name_[13] = "report_tests";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QGuiApplication> application_;
};

[[maybe_unused]] testing::Environment* const environment =
    testing::AddGlobalTestEnvironment(new GuiEnvironment);

} // namespace
