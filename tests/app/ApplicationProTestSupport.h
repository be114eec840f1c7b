// The fixture the application object's tests share: the platform services
// faked, the toolkit's application object reset around each test, and an
// application object made as the main form makes it.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "app/ApplicationPro.h"
#include "app/Form.h"
#include "app/GraphicApplicationPro.h"
#include "app/Toolkit.h"
#include "tests/app/ShellTestSupport.h"

namespace apptest {

using velmora::Application;
using velmora::TComponent;
using velmora::TCustomApplicationPro;
using velmora::TCustomGraphicApplicationPro;
using velmora::TForm;

// Where the options live.
inline const std::string kKey = "Software\\Ostrevin\\Velmora 1";

// A stored option name as the store keeps it.
inline std::string C(const std::string& name) { return TCustomApplicationPro::ComplementText(name); }

class ApplicationProTest : public ::testing::Test, protected shelltest::PlatformFakes {
 protected:
  ApplicationProTest() { clock.Set(1000); }
  void SetUp() override { Application().Reset(); }
  void TearDown() override { Application().Reset(); }

  // A form owning an application object, its properties set as the main
  // form sets them, then loaded.
  TCustomGraphicApplicationPro* MakeApp(TForm& form, bool load = true) {
    auto* app = new TCustomGraphicApplicationPro(&form);
    app->Title = "Velmora";
    app->Company = "Ostrevin";
    if (load) {
      TComponent::BeginLoadingAll(&form);
      TComponent::EndLoadingAll(&form);
    }
    return app;
  }

  // Runs one frame after setting the clock to `clockBefore`.
  void FrameAt(TCustomApplicationPro& app, uint32_t clockBefore) {
    clock.Set(clockBefore);
    bool done = true;
    app.Idle(&app, done);
    EXPECT_FALSE(done);
  }
};

}  // namespace apptest
