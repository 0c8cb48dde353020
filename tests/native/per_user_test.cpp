// What a per-user package is made of: the manifests' execution level
// rewritten to asInvoker, and the scope resource setup and uninst read.
#include <gtest/gtest.h>

#include <string>

#include "execution_level.h"
#include "install_scope.h"

namespace {

TEST(ManifestAsInvoker, RewritesTheLevelAndNothingElse) {
    const std::string head = "<trustInfo><security><requestedPrivileges>\n  ";
    const std::string tail = "\n</requestedPrivileges></security></trustInfo>";
    const struct {
        const char* element;   // as found in a manifest
        const char* expected;  // after the rewrite
    } cases[] = {
        {"<requestedExecutionLevel level=\"requireAdministrator\" uiAccess=\"false\"/>",
         "<requestedExecutionLevel level=\"asInvoker\" uiAccess=\"false\"/>"},
        {"<requestedExecutionLevel uiAccess='false' level='highestAvailable'></requestedExecutionLevel>",
         "<requestedExecutionLevel uiAccess='false' level='asInvoker'></requestedExecutionLevel>"},
        {"<requestedExecutionLevel\n    level = \"requireAdministrator\"\n    uiAccess=\"false\" />",
         "<requestedExecutionLevel\n    level = \"asInvoker\"\n    uiAccess=\"false\" />"},
        {"<requestedExecutionLevel level=\"asInvoker\"/>", "<requestedExecutionLevel level=\"asInvoker\"/>"},
        // "level" inside another attribute's name or value is not the level.
        {"<requestedExecutionLevel xlevel=\"level\" level=\"requireAdministrator\"/>",
         "<requestedExecutionLevel xlevel=\"level\" level=\"asInvoker\"/>"},
    };
    for (const auto& c : cases) {
        std::string out, error;
        ASSERT_TRUE(ManifestAsInvoker(head + c.element + tail, &out, &error)) << c.element << ": " << error;
        EXPECT_EQ(head + c.expected + tail, out) << c.element;
        EXPECT_EQ("asInvoker", ManifestLevel(out));
    }
    EXPECT_EQ("requireAdministrator", ManifestLevel(head + cases[0].element + tail));
}

TEST(ManifestAsInvoker, RefusesAManifestWithoutALevel) {
    const char* const manifests[] = {
        "<assembly><description>no level</description></assembly>",
        "<requestedExecutionLevel uiAccess=\"false\"/>",
        "<requestedExecutionLevel level=requireAdministrator/>",
        "<requestedExecutionLevel level=\"requireAdministrator",
        "<requestedExecutionLevel",
        "",
    };
    for (const char* manifest : manifests) {
        std::string out = "unchanged", error;
        EXPECT_FALSE(ManifestAsInvoker(manifest, &out, &error)) << manifest;
        EXPECT_NE(std::string::npos, error.find("requestedExecutionLevel")) << error;
        EXPECT_EQ("unchanged", out);
        EXPECT_EQ("", ManifestLevel(manifest));
    }
}

TEST(InstallScope, OnlyTheExactBytesMakeAPerUserInstallation) {
    const struct {
        const char* bytes;  // null: no resource
        size_t size;
        InstallScope scope;
    } cases[] = {
        {nullptr, 0, kScopeMachine}, {"user", 4, kScopeUser},       {"user", 3, kScopeUnknown},
        {"user\0", 5, kScopeUnknown}, {"USER", 4, kScopeUnknown},   {"", 0, kScopeUnknown},
        {"admin", 5, kScopeUnknown},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.scope, ParseInstallScope(reinterpret_cast<const uint8_t*>(c.bytes), c.size))
            << (c.bytes ? c.bytes : "none") << " " << c.size;
    }
}

}  // namespace
