// One comparison of setup records for every suite: each stored field of the
// expected record against a parsed record, or against the configuration setup
// loads from it (which has no folder fields: it resolves them into installDir).
#pragma once

#include <gtest/gtest.h>

#include <type_traits>

#include "setup_record.h"

namespace testrec {

// The defaults of a program without record, changed by edit.
template <typename Edit>
SetupRecord Record(Edit edit) {
    SetupRecord r;
    SetDefaultSetupRecord(&r);
    edit(r);
    return r;
}

template <typename Actual>
void ExpectSameRecord(const SetupRecord& expected, const Actual& actual) {
    EXPECT_STREQ(expected.appName, actual.appName);
    EXPECT_STREQ(expected.appVerName, actual.appVerName);
    if constexpr (std::is_same_v<Actual, SetupRecord>) {
        EXPECT_STREQ(expected.folderToken, actual.folderToken);
        EXPECT_STREQ(expected.subFolder, actual.subFolder);
    }
    EXPECT_STREQ(expected.groupName, actual.groupName);
    EXPECT_STREQ(expected.reservedText, actual.reservedText);
    EXPECT_EQ(expected.allowDirChange, actual.allowDirChange);
    EXPECT_EQ(expected.noIcons, actual.noIcons);
    EXPECT_EQ(expected.allowGroupChange, actual.allowGroupChange);
    EXPECT_EQ(expected.offerMenuIcons, actual.offerMenuIcons);
    EXPECT_EQ(expected.reservedFlag, actual.reservedFlag);
    EXPECT_EQ(expected.runOffered, actual.runOffered);
    EXPECT_EQ(expected.uninstallIconOffered, actual.uninstallIconOffered);
    EXPECT_EQ(expected.licenseFormat, actual.licenseFormat);
    EXPECT_EQ(expected.infoFormat, actual.infoFormat);
}

}  // namespace testrec
