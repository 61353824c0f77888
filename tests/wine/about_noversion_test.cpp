// The About box in a program without a version resource: this test program
// does not link the game's resources; it takes the dialog template and the
// cursor from about_template.dll, which holds them. The box reads the texts
// from the running program, finds none, and keeps the template's own.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <cstdlib>
#include <memory>

#include "about/about_box.h"
#include "about/link_label.h"
#include "about/version_info.h"
#include "engine/random.h"
#include "tests/wine/about_driver.h"

using namespace about_test;

namespace {

class AboutWithoutVersionTest : public testing::Test {
protected:
    void SetUp() override
    {
        RandomSeed(1);
        resources = LoadLibraryA((ProgramFolder() + "about_fixtures\\about_template.dll").c_str());
        ASSERT_NE(nullptr, resources);
        owner = std::make_unique<wt::TestWindow>(200, 80);
        SetCursorPos(500, 400);
    }

    void TearDown() override
    {
        owner.reset();
        if (resources) FreeLibrary(resources);
    }

    HMODULE resources = nullptr;
    std::unique_ptr<wt::TestWindow> owner;
};

}  // namespace

TEST_F(AboutWithoutVersionTest, ThisProgramReallyHasNoVersionResource)
{
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, sizeof path);
    DWORD* translation = nullptr;
    EXPECT_EQ(nullptr, VersionLoad(path, &translation));
}

TEST_F(AboutWithoutVersionTest, TheTemplatesTextsStayAndEverythingElseIsSetUp)
{
    const AboutBoxInfo info = GameGetAboutInfo(resources);
    ASSERT_NE(nullptr, info.linkCursor);
    ShowWithBox(owner->hwnd(), info, [&](HWND dialog) {
        EXPECT_EQ("について", WindowText(dialog));
        EXPECT_EQ("Tessaly for DEBUG", ItemText(dialog, IDC_ABOUT_VERSION));
        EXPECT_EQ("", ItemText(dialog, IDC_ABOUT_SYSRES));

        HWND link = GetDlgItem(dialog, IDC_ABOUT_URL);
        EXPECT_EQ(TESSALY_SUPPORT_URL, WindowText(link));
        EXPECT_NE(nullptr, GetPropA(link, kPropOriginalProc));
        EXPECT_NE(nullptr, GetPropA(dialog, kPropFontUrl));
        const std::vector<HWND> tips = OwnedTooltips(dialog);
        ASSERT_EQ(1u, tips.size());
        EXPECT_EQ(1, SendMessageA(tips[0], TTM_GETTOOLCOUNT, 0, 0));
        EXPECT_NE(0, SendDlgItemMessageA(dialog, IDC_ABOUT_ICON, STM_GETICON, 0, 0));

        RECT rect;
        GetWindowRect(dialog, &rect);
        EXPECT_LE(abs((rect.left + rect.right) / 2 - 500), 1);
        EXPECT_LE(abs((rect.top + rect.bottom) / 2 - 400), 1);
    });
}
