// The catalogue cache: texts loaded once per language, language 0 never cached, and no
// half-made catalogue or leak when memory runs out while one is built.
#include "module_fixture.h"

using namespace uxd;

using CatalogueCache = ModuleTest;

TEST_F(CatalogueCache, CachedLanguageCostsNoResourceManagerCall) {
    ASSERT_EQ(UXDInitialize(0), UXD_SUCCESS);
    RmSpy::loads = 0;
    UXDDestinationCatalogue *german = UXDGetExportDestinationsEx(0x0407);
    ASSERT_NE(german, nullptr);
    EXPECT_EQ(RmSpy::loads, 2) << "name and description";

    long blocks = allocation_fault::outstanding();
    EXPECT_EQ(UXDGetExportDestinationsEx(0x0407), german);
    EXPECT_EQ(RmSpy::loads, 2) << "a cached language loads nothing";
    EXPECT_EQ(allocation_fault::outstanding(), blocks) << "and allocates nothing";

    UXDTerminate();
    ASSERT_EQ(UXDInitialize(0), UXD_SUCCESS);
    EXPECT_EQ(UXDGetExportDestinationsEx(0x0407), german) << "the cache outlives UXDTerminate";
}

TEST_F(CatalogueCache, LanguageZeroIsBuiltAnewEachTime) {
    ASSERT_EQ(UXDInitialize(0), UXD_SUCCESS);
    UXDDestinationCatalogue *first = UXDGetExportDestinationsEx(0);
    UXDDestinationCatalogue *second = UXDGetExportDestinationsEx(0);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);
    EXPECT_NE(first->entries[0]->name, second->entries[0]->name) << "texts are not shared";
    EXPECT_STREQ(second->entries[0]->name, "MAPI");
    // Both stay valid until unload, and unload releases them (checked by the fixture).
    EXPECT_STREQ(first->entries[0]->name, "MAPI");
}

TEST_F(CatalogueCache, BeforeInitializeTheLayoutStandsWithEmptyTexts) {
    UXDDestinationCatalogue *catalogue = UXDGetExportDestinationsEx(0x0409);
    ASSERT_NE(catalogue, nullptr);
    EXPECT_EQ(catalogue->structSize, 24);
    ASSERT_EQ(catalogue->entryCount, 1);
    EXPECT_STREQ(catalogue->identifier, "xmapi");
    EXPECT_STREQ(catalogue->entries[0]->name, "");
    EXPECT_STREQ(catalogue->entries[0]->description, "");
}

TEST_F(CatalogueCache, FailedNameLeavesBothTextsEmpty) {
    ASSERT_EQ(UXDInitialize(0), UXD_SUCCESS);
    RmSpy::failLoads = true;
    RmSpy::loads = 0;
    UXDDestinationCatalogue *catalogue = UXDGetExportDestinationsEx(0x0409);
    ASSERT_NE(catalogue, nullptr);
    EXPECT_EQ(RmSpy::loads, 1) << "the description is not asked for";
    EXPECT_STREQ(catalogue->entries[0]->name, "");
    EXPECT_STREQ(catalogue->entries[0]->description, "");
    RmSpy::failLoads = false;
    EXPECT_EQ(UXDGetExportDestinationsEx(0x0409), catalogue) << "still cached";
}

TEST_F(CatalogueCache, OutOfMemoryGivesNoCatalogueAndLeaksNothing) {
    ASSERT_EQ(UXDInitialize(0), UXD_SUCCESS);
    allocation_fault::failAt(0);
    UXDDestinationCatalogue *probe = UXDGetExportDestinationsEx(0);
    ASSERT_NE(probe, nullptr);
    unsigned long allocations = allocation_fault::attempts();
    catalogue::releaseAll();
    ASSERT_GE(allocations, 7u) << "header, array, entry, two copies, two buffers, cache slot";

    for (uint32_t language : {0u, 0x0407u}) {
        for (unsigned long nth = 1; nth <= allocations; ++nth) {
            SCOPED_TRACE("language " + std::to_string(language) + ", allocation " +
                         std::to_string(nth) + " fails");
            long blocks = allocation_fault::outstanding();
            allocation_fault::failAt(nth);
            EXPECT_EQ(UXDGetExportDestinationsEx(language), nullptr);
            allocation_fault::reset();
            EXPECT_EQ(allocation_fault::outstanding(), blocks);
            UXDDestinationCatalogue *retry = UXDGetExportDestinationsEx(language);
            ASSERT_NE(retry, nullptr) << "a failed build is not cached";
            EXPECT_STRNE(retry->entries[0]->name, "");
            catalogue::releaseAll();
        }
    }
}
