// Inputs the fuzz targets under tests/fuzz found to break a property, kept as plain tests.
#include <gtest/gtest.h>

#include "apply/driver.h"
#include "apply/log_name.h"
#include "apply/product_record.h"
#include "app/run_options.h"
#include "scripted_installer.h"
#include "recorded_log.h"
#include "scripted_platform.h"

namespace {

const std::wstring Ledger = L"{6E1D3F6A-2B7C-4C1E-9A55-0D4B2E7C1A01}";
const std::wstring Payroll = L"{6E1D3F6A-2B7C-4C1E-9A55-0D4B2E7C1A02}";

// fuzz_driver: a target list that names a product twice had it configured twice, the second
// time with a patch that the first call had just applied.
TEST(FuzzRegressions, AProductListedTwiceIsConfiguredOnce)
{
    RunOptions = {};
    CurrentProductName.clear();
    ApplicableProducts.clear();
    ScriptedPlatform platform;
    ScriptedInstaller installer;
    LoadEnglishAndGerman(platform);
    installer.packages[platform.extractedName] = {
        {msi::SummaryTargetProducts, Ledger + L";" + Payroll + L";" + Ledger},
        {msi::SummaryPatchCode, L"{6E1D3F6A-2B7C-4C1E-9A55-0D4B2E7C1B01}"}};
    installer.products[Ledger].info = {{L"ProductName", L"Ledger"}, {L"Language", L"1033"}};
    installer.products[Payroll].info = {{L"ProductName", L"Payroll"}, {L"Language", L"1033"}};
    RecordedLog log;
    Reporter reporter(platform, log);

    apply::ApplyPatchToProducts({platform, installer, reporter, log, platform.temporaryDirectory});

    EXPECT_EQ(installer.configured, (std::vector<std::wstring>{Ledger, Payroll}));
    ApplicableProducts.clear();
}

// fuzz_configure_arguments: shortening a name to fit the path could leave a device name,
// "CONSOLE" cut to "CON", so that the installer would log to the console device.
TEST(FuzzRegressions, ShorteningALogNameNeverLeavesADeviceName)
{
    const std::wstring temp = L"C:\\" + std::wstring(248, L't') + L"\\";
    ASSERT_EQ(temp.size() + 3 + 4, apply::MaxPathChars);  // room for three characters of the name

    const auto path = apply::LogFilePath(temp, L"CONSOLE");

    ASSERT_TRUE(path);
    EXPECT_LE(path->size(), apply::MaxPathChars);
    EXPECT_NE(path->substr(temp.size()), L"CON.log");
}

}  // namespace
