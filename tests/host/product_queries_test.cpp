#include <gtest/gtest.h>

#include "apply/product_queries.h"
#include "apply/product_record.h"
#include "scripted_installer.h"

namespace {

const std::wstring Code = L"{6E1D3F6A-2B7C-4C1E-9A55-0D4B2E7C1A01}";

class ProductQueriesTest : public testing::Test {
protected:
    ScriptedInstaller installer;
    apply::ProductQueries queries{installer};
    ScriptedProduct& product = installer.products[Code];
};

TEST_F(ProductQueriesTest, AdvertisedAndInstalledCountAsInstalled)
{
    for (int state : {-1, 0, 1, 2, 3, 4, 5, 6}) {
        product.state = state;
        EXPECT_EQ(queries.IsProductInstalled(Code), state == 1 || state == 5) << state;
    }
    EXPECT_FALSE(queries.IsProductInstalled(L"{00000000-0000-0000-0000-000000000000}"));
}

TEST_F(ProductQueriesTest, VersionComesBackExactly)
{
    for (const wchar_t* version : {L"12.2.0.3", L"12.2.0.4 ", L"12.2", L""}) {
        product.info[L"VersionString"] = version;
        EXPECT_EQ(queries.QueryProductVersion(Code), version);
    }
    product.info.erase(L"VersionString");
    EXPECT_EQ(queries.QueryProductVersion(Code), L"");
}

TEST_F(ProductQueriesTest, ValuesAreCutAt1023AndNotReadAgain)
{
    product.info[L"ProductName"] = std::wstring(1023, L'n');
    product.info[L"Language"] = std::wstring(3000, L'1');
    ProductRecord record;
    queries.QueryProductIdentity(Code, record.productName, record.language, record.localeId);
    EXPECT_EQ(record.productName.size(), 1023u);
    EXPECT_EQ(record.language.size(), 1023u);
    EXPECT_EQ(std::count(installer.calls.begin(), installer.calls.end(), L"GetProductInfo Language"), 1);
}

TEST_F(ProductQueriesTest, IdentityReadsAttributesThenTheLocaleIdWithTheUiOff)
{
    product.info = {{L"ProductName", L"Korvanta Ledger"}, {L"Language", L"1031"}};
    product.localeId = L"1031";
    installer.uiLevel = 5;
    ProductRecord record;
    queries.QueryProductIdentity(Code, record.productName, record.language, record.localeId);
    EXPECT_EQ(record.productName, L"Korvanta Ledger");
    EXPECT_EQ(record.language, L"1031");
    EXPECT_EQ(record.localeId, L"1031");
    EXPECT_EQ(installer.calls,
              (std::vector<std::wstring>{L"GetProductInfo ProductName", L"GetProductInfo Language", L"SetInternalUI 2",
                                         L"OpenProduct", L"GetProductProperty LOCALEID", L"CloseHandle",
                                         L"SetInternalUI 5"}));
    EXPECT_EQ(installer.uiLevel, 5);
    EXPECT_EQ(installer.openHandles, 0);
}

TEST_F(ProductQueriesTest, AProductThatCannotBeOpenedKeepsItsLocaleId)
{
    product.opens = false;
    installer.uiLevel = 3;
    ProductRecord record;
    queries.QueryProductIdentity(Code, record.productName, record.language, record.localeId);
    EXPECT_EQ(record.localeId, L"0");
    EXPECT_EQ(installer.uiLevel, 3);
    EXPECT_EQ(std::count(installer.calls.begin(), installer.calls.end(), L"CloseHandle"), 0);
}

TEST_F(ProductQueriesTest, AnEmptyOrMissingLocaleIdBecomesEmpty)
{
    product.hasLocaleId = false;
    ProductRecord record;
    queries.QueryProductIdentity(Code, record.productName, record.language, record.localeId);
    EXPECT_EQ(record.localeId, L"");
}

TEST_F(ProductQueriesTest, ALanguageThatCannotBeReadIsEmptyEvenWithAName)
{
    product.info = {{L"ProductName", L"Ledger"}};
    ProductRecord record;
    record.language = L"stale";
    queries.QueryProductIdentity(Code, record.productName, record.language, record.localeId);
    EXPECT_EQ(record.productName, L"Ledger");
    EXPECT_EQ(record.language, L"");
}

TEST(ProductRecord, DefaultsAndCopiesAreIndependent)
{
    const ProductRecord fresh;
    EXPECT_EQ(fresh.localeId, L"0");
    EXPECT_TRUE(fresh.productCode.empty() && fresh.productName.empty() && fresh.language.empty() &&
                fresh.commandLine.empty() && fresh.version.empty());

    ApplicableProducts.clear();
    ProductRecord record;
    record.productCode = Code;
    ApplicableProducts.push_back(record);
    ApplicableProducts.push_back(record);
    ApplicableProducts[0].commandLine = L"PATCH=x";
    EXPECT_TRUE(record.commandLine.empty());
    EXPECT_TRUE(ApplicableProducts[1].commandLine.empty());
    ApplicableProducts.clear();
    ApplicableProducts.clear();
    EXPECT_TRUE(ApplicableProducts.empty());
}

TEST_F(ProductQueriesTest, TheContextIsPerMachineFirstThenTheUsersOwn)
{
    for (std::uint32_t context : {msi::ContextMachine, msi::ContextUserUnmanaged, msi::ContextUserManaged}) {
        product.context = context;
        EXPECT_EQ(queries.QueryProductContext(Code), context);
    }
    EXPECT_EQ(std::vector<std::wstring>(installer.calls.end() - 3, installer.calls.end()),
              (std::vector<std::wstring>{L"GetProductInfoEx State 4", L"GetProductInfoEx State 2",
                                         L"GetProductInfoEx State 1"}));
}

TEST_F(ProductQueriesTest, AProductNoContextKnowsIsAskedAboutPerMachine)
{
    EXPECT_EQ(queries.QueryProductContext(L"{00000000-0000-0000-0000-000000000000}"), msi::ContextMachine);
}

}  // namespace
