#include "infra/CMainParameters.h"
#include "platform/CQtProfileStore.h"
#include "platform/DataFolder.h"
#include "platform/ExecutableName.h"
#include "support/TestSupport.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>

namespace {

// Sets an environment variable for one test and restores it afterwards.
class EnvironmentVariable {
public:
    EnvironmentVariable(const char* name, const char* value) : m_name(name) {
        if (const char* old = std::getenv(name))
            m_previous = old;
        if (value)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    ~EnvironmentVariable() {
        if (m_previous)
            ::setenv(m_name, m_previous->c_str(), 1);
        else
            ::unsetenv(m_name);
    }

private:
    const char* m_name;
    std::optional<std::string> m_previous;
};

CMainParameters NamedParameters() {
    CMainParameters params;
    params.m_strName = kMainParametersName;
    params.m_nVersion = kMainParametersVersion;
    params.SetDefaults();
    return params;
}

} // namespace

TEST(DataFolder, IsCreatedWithItsParentsBelowTheConfiguredRoot) {
    TempDir dir;
    EnvironmentVariable root("TESSARIC_DATA_DIR", dir.File("a/b").c_str());
    const std::string folder = FindProgramDataFolder("tessaric");
    EXPECT_EQ(folder, dir.File("a/b/tessaric"));
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    EXPECT_EQ(FindProgramDataFolder("tessaric"), folder) << "an existing folder is fine";
}

TEST(DataFolder, FallsBackToTheUsersDataFolder) {
    TempDir dir;
    EnvironmentVariable root("TESSARIC_DATA_DIR", nullptr);
    EnvironmentVariable data("XDG_DATA_HOME", dir.Path().c_str());
    EXPECT_EQ(FindProgramDataFolder("tessaric"), dir.File("tessaric"));
}

TEST(DataFolder, IsEmptyWhenItCannotBeCreated) {
    TempDir dir;
    WriteFileBytes(dir.File("regular"), "x");
    EnvironmentVariable root("TESSARIC_DATA_DIR", dir.File("regular").c_str());
    EXPECT_EQ(FindProgramDataFolder("tessaric"), "");
}

TEST(ExecutableName, IsTheProgramFileWithoutFolderAndExtension) {
    EXPECT_EQ(ExecutableBaseName(), "test_platform");
}

TEST(CQtProfileStore, LivesBelowTheUsersConfigurationFolder) {
    // Qt reads the configuration folder once per process, at the first
    // profile opened by organisation and application; this is the only one.
    TempDir dir;
    EnvironmentVariable config("XDG_CONFIG_HOME", dir.Path().c_str());
    CQtProfileStore store(kProfileOrganisation, "tessaric-test");
    EXPECT_EQ(store.FileName(), dir.File("Zentavo/tessaric-test.ini"));
    EXPECT_TRUE(store.WriteInt("Main Parameters", "MinDiversity", 12));
    EXPECT_TRUE(std::filesystem::exists(dir.File("Zentavo/tessaric-test.ini")));
}

TEST(CQtProfileStore, KeepsEachEntryTypeAcrossInstances) {
    TempDir dir;
    const std::string file = dir.File("profile.ini");
    const std::vector<std::uint8_t> raw = {0x00, 0xFF, 0x0A, 0x0D, 0x40, 0x5B, 0x28, 0x7F};
    {
        CQtProfileStore store(file);
        EXPECT_TRUE(store.WriteString("Main Parameters", "ImportPath", "/a, b/M\xC3\xBCller"));
        EXPECT_TRUE(store.WriteString("Main Parameters", "OutputPath", ""));
        EXPECT_TRUE(store.WriteInt("Main Parameters", "MinDiversity", -7));
        EXPECT_TRUE(store.WriteBinary("Main Parameters", "LimitPhase", raw));
    }
    CQtProfileStore store(file);
    EXPECT_EQ(store.ReadString("Main Parameters", "ImportPath"), "/a, b/M\xC3\xBCller");
    EXPECT_EQ(store.ReadString("Main Parameters", "OutputPath"), "");
    EXPECT_EQ(store.ReadInt("Main Parameters", "MinDiversity"), -7);
    EXPECT_EQ(store.ReadBinary("Main Parameters", "LimitPhase"), raw);
    EXPECT_EQ(store.ReadInt("Main Parameters", "Missing"), std::nullopt);
    EXPECT_EQ(store.ReadBinary("Main Parameters", "ImportPath"), std::nullopt);
    EXPECT_EQ(store.ReadString("Main Parameters", "LimitPhase"), std::nullopt);
    EXPECT_EQ(store.ReadInt("Main Parameters", "ImportPath"), std::nullopt);
    EXPECT_EQ(store.ReadString("Other", "ImportPath"), std::nullopt);
}

TEST(CQtProfileStore, ParametersComeBackExactly) {
    TempDir dir;
    const std::string file = dir.File("profile.ini");
    CMainParameters saved = NamedParameters();
    saved.LimitPhase = 0.123456789;
    saved.ImportRotDeg = -1e-300;
    saved.ImportPath = "/logs";
    saved.ImportMirrorY = -1;
    {
        CQtProfileStore store(file);
        saved.AttachProfile(&store);
        ASSERT_TRUE(saved.WriteProfile());
    }
    EXPECT_NE(ReadFileBytes(file).find("[Main%20Parameters]"), std::string::npos);

    CQtProfileStore store(file);
    CMainParameters loaded = NamedParameters();
    loaded.AttachProfile(&store);
    loaded.ReadProfile();
    EXPECT_EQ(loaded.LimitPhase, 0.123456789);
    EXPECT_EQ(loaded.ImportRotDeg, -1e-300);
    EXPECT_EQ(loaded.ImportPath, "/logs");
    EXPECT_EQ(loaded.ImportMirrorY, -1);
}

TEST(CQtProfileStore, RefusedFileFailsTheWrite) {
    TempDir dir;
    WriteFileBytes(dir.File("regular"), "x");
    CQtProfileStore store(dir.File("regular/profile.ini"));
    EXPECT_FALSE(store.WriteInt("Main Parameters", "MinDiversity", 1));
    CMainParameters params = NamedParameters();
    params.AttachProfile(&store);
    EXPECT_FALSE(params.WriteProfile());
}
