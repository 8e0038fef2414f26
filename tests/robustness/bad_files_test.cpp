#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "e2e/serving_agent.h"
#include "harness/full_path.h"
#include "harness/log_file.h"
#include "quavel/protocol.h"

// Whatever the disk holds, an open that cannot play replies 0, leaves the
// three log lines, and the channel opens a good file right after.
namespace {

void WriteBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string ReadBytes(const std::string& path, size_t count)
{
    std::ifstream file(path, std::ios::binary);
    std::string bytes(count, '\0');
    file.read(&bytes[0], static_cast<std::streamsize>(count));
    return bytes;
}

class BadFiles : public ServingAgent {
protected:
    void ExpectRefusedThenRecovered(const std::string& path)
    {
        SCOPED_TRACE(path);
        TakeLog();
        EXPECT_EQ(Send(HC_OpenFile, path.c_str()), 0);
        EXPECT_EQ(Send(HC_GetState), -1);
        std::string log = TakeLog();
        EXPECT_EQ(log.rfind("OpenFile (0x", 0), 0u) << log;
        EXPECT_NE(log.find("\r\nCurDir: (0x"), std::string::npos) << log;
        EXPECT_NE(log.find("\r\nMCBS  (0x"), std::string::npos) << log;

        EXPECT_EQ(Send(HC_Close), 1);
        EXPECT_EQ(Send(HC_OpenFile, tone.c_str()), 1);
        EXPECT_EQ(Send(HC_GetDuration), 300);
        EXPECT_EQ(Send(HC_Close), 1);
    }
};

TEST_F(BadFiles, EachIsRefusedAndTheChannelRecovers)
{
    CreateDirectoryA("a-folder.wav", NULL);
    WriteBytes("empty.wav", "");
    WriteBytes("truncated.wav", ReadBytes(tone, 20));  // cut inside the header
    std::string noise(50000, '\0');
    for (size_t i = 0; i < noise.size(); ++i)
        noise[i] = static_cast<char>((i * 2654435761u) >> 13);
    WriteBytes("noise.wav", noise);
    // A well-formed header naming a codec nobody has.
    std::string header = ReadBytes(tone, 44);
    header[20] = static_cast<char>(0x99);
    header[21] = static_cast<char>(0x99);
    WriteBytes("unknown-codec.wav", header + std::string(8000, 'x'));

    for (const char* name : {"missing.wav", "a-folder.wav", "empty.wav", "truncated.wav",
                             "noise.wav", "unknown-codec.wav", "NUL", "AUX", "COM1"})
        ExpectRefusedThenRecovered(FullPath(name));
    QuitAndExpectCleanExit();
}

// A log that cannot be written costs the log lines, nothing else.
TEST_F(BadFiles, LogThatIsAFolderLosesOnlyTheLines)
{
    TakeLog();
    ASSERT_TRUE(CreateDirectoryA("quavellog.txt", NULL));
    EXPECT_EQ(Send(HC_OpenFile, "missing.wav"), 0);
    EXPECT_EQ(Send(HC_OpenFile, tone.c_str()), 1);
    EXPECT_EQ(Send(HC_GetDuration), 300);
    RemoveDirectoryA("quavellog.txt");
    QuitAndExpectCleanExit();
}

}  // namespace
