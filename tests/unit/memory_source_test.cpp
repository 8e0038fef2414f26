#include <windows.h>
#include <dshow.h>

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "harness/wav_file.h"
#include "playback/memory_source_filter.h"
#include "playback/stream_type.h"

// The memory source on its own, without a graph: what its reader gives for
// reads at and past the end of the file, how it keeps the alignment it
// agreed, how queued reads come back around a flush, and the type its pin
// offers beside the platform's own file source.
namespace {

const LONGLONG kUnits = 10000000;
const int kFileBytes = 1000;
const long kAlign = 4;
const long kSampleBytes = 64;

std::wstring Wide(const std::string& text)
{
    return std::wstring(text.begin(), text.end());
}

void WriteBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

class MemoryReaderTest : public testing::Test {
protected:
    void SetUp() override
    {
        std::string bytes;
        for (int i = 0; i < kFileBytes; ++i)
            bytes += static_cast<char>(i % 251);
        WriteBytes("reads.bin", bytes);
        MemoryFile* file = NULL;
        ASSERT_EQ(ReadMemoryFile(L"reads.bin", &file), S_OK);
        ASSERT_EQ(MemorySourceFilter::Create(file, &filter), S_OK);
        file->Release();
        IPin* pin = NULL;
        ASSERT_EQ(filter->FindPin(L"Output", &pin), S_OK);
        pin->QueryInterface(IID_IAsyncReader, reinterpret_cast<void**>(&reader));
        pin->Release();
        ASSERT_TRUE(reader);
        ALLOCATOR_PROPERTIES wanted = {4, kSampleBytes, kAlign, 0};
        ASSERT_EQ(reader->RequestAllocator(NULL, &wanted, &allocator), S_OK);
        ASSERT_EQ(allocator->Commit(), S_OK);
    }

    void TearDown() override
    {
        if (allocator) {
            allocator->Decommit();
            allocator->Release();
        }
        if (reader)
            reader->Release();
        if (filter) {
            EXPECT_EQ(filter->Release(), 0u);
        }
    }

    // A sample asking for bytes [first, stop).
    IMediaSample* Sample(LONGLONG first, LONGLONG stop)
    {
        IMediaSample* sample = NULL;
        allocator->GetBuffer(&sample, NULL, NULL, 0);
        REFERENCE_TIME start = first * kUnits;
        REFERENCE_TIME end = stop * kUnits;
        sample->SetTime(&start, &end);
        return sample;
    }

    static BYTE At(LONGLONG offset) { return static_cast<BYTE>(offset % 251); }

    IBaseFilter* filter = NULL;
    IAsyncReader* reader = NULL;
    IMemAllocator* allocator = NULL;
};

TEST_F(MemoryReaderTest, SyncReadCutsReadsAtTheEnd)
{
    BYTE buffer[16];
    memset(buffer, 0xEE, sizeof buffer);
    EXPECT_EQ(reader->SyncRead(kFileBytes - 6, 16, buffer), S_FALSE);
    EXPECT_EQ(buffer[0], At(kFileBytes - 6));
    EXPECT_EQ(buffer[5], At(kFileBytes - 1));
    EXPECT_EQ(buffer[6], 0xEE) << "nothing written past what the file has";

    memset(buffer, 0xEE, sizeof buffer);
    EXPECT_EQ(reader->SyncRead(kFileBytes + 10, 16, buffer), S_FALSE);
    EXPECT_EQ(buffer[0], 0xEE);
    EXPECT_EQ(reader->SyncRead(kFileBytes, 0, buffer), S_OK) << "nothing asked, nothing missing";
    EXPECT_EQ(reader->SyncRead(-1, 4, buffer), E_INVALIDARG);
    EXPECT_EQ(reader->SyncRead(10, 16, buffer), S_OK);
    EXPECT_EQ(buffer[15], At(25));

    LONGLONG total = 0;
    LONGLONG available = 0;
    EXPECT_EQ(reader->Length(&total, &available), S_OK);
    EXPECT_EQ(total, kFileBytes);
    EXPECT_EQ(available, kFileBytes);
}

TEST_F(MemoryReaderTest, SyncReadAlignedKeepsTheAgreedAlignment)
{
    IMediaSample* sample = Sample(kAlign + 1, 2 * kAlign + 1);
    EXPECT_EQ(reader->SyncReadAligned(sample), VFW_E_BADALIGN);
    sample->Release();

    sample = Sample(kFileBytes - kAlign, kFileBytes - kAlign + kSampleBytes);
    EXPECT_EQ(reader->SyncReadAligned(sample), S_FALSE);
    EXPECT_EQ(sample->GetActualDataLength(), kAlign);
    REFERENCE_TIME start = 0;
    REFERENCE_TIME stop = 0;
    sample->GetTime(&start, &stop);
    EXPECT_EQ(stop, kFileBytes * kUnits) << "the stop is where the data ends";
    sample->Release();

    sample = Sample(0, 2 * kSampleBytes);
    EXPECT_EQ(reader->SyncReadAligned(sample), E_INVALIDARG) << "more than the sample holds";
    sample->Release();
}

TEST_F(MemoryReaderTest, QueuedReadsComeBackInOrderAndAroundAFlush)
{
    IMediaSample* first = Sample(0, kSampleBytes);
    IMediaSample* last = Sample(kFileBytes - kAlign, kFileBytes - kAlign + kSampleBytes);
    IMediaSample* past = Sample(kFileBytes, kFileBytes + kSampleBytes);
    EXPECT_EQ(reader->Request(first, 1), S_OK);
    EXPECT_EQ(reader->Request(last, 2), S_OK);
    EXPECT_EQ(reader->Request(past, 3), HRESULT_FROM_WIN32(ERROR_HANDLE_EOF));

    IMediaSample* done = NULL;
    DWORD_PTR cookie = 0;
    EXPECT_EQ(reader->WaitForNext(0, &done, &cookie), S_OK);
    EXPECT_EQ(done, first);
    EXPECT_EQ(cookie, 1u);
    EXPECT_EQ(reader->WaitForNext(0, &done, &cookie), S_FALSE) << "cut at the end";
    EXPECT_EQ(done, last);
    EXPECT_EQ(reader->WaitForNext(0, &done, &cookie), VFW_E_TIMEOUT);
    EXPECT_EQ(done, static_cast<IMediaSample*>(NULL));

    EXPECT_EQ(reader->Request(first, 4), S_OK);
    reader->BeginFlush();
    EXPECT_EQ(reader->Request(last, 5), VFW_E_WRONG_STATE);
    EXPECT_EQ(reader->WaitForNext(INFINITE, &done, &cookie), VFW_E_WRONG_STATE);
    EXPECT_EQ(done, first) << "handed back for its owner to release";
    EXPECT_EQ(reader->WaitForNext(INFINITE, &done, &cookie), VFW_E_WRONG_STATE);
    EXPECT_EQ(done, static_cast<IMediaSample*>(NULL));
    reader->EndFlush();
    EXPECT_EQ(reader->WaitForNext(0, &done, &cookie), VFW_E_TIMEOUT);
    first->Release();
    last->Release();
    past->Release();
}

DWORD WINAPI WaitForever(void* reader)
{
    IMediaSample* sample = NULL;
    DWORD_PTR cookie = 0;
    return static_cast<DWORD>(static_cast<IAsyncReader*>(reader)->WaitForNext(INFINITE, &sample, &cookie));
}

TEST_F(MemoryReaderTest, AFlushEndsAWaitOnAnotherThread)
{
    HANDLE waiter = CreateThread(NULL, 0, WaitForever, reader, 0, NULL);
    ASSERT_EQ(WaitForSingleObject(waiter, 100), static_cast<DWORD>(WAIT_TIMEOUT));
    reader->BeginFlush();
    ASSERT_EQ(WaitForSingleObject(waiter, 5000), static_cast<DWORD>(WAIT_OBJECT_0));
    DWORD result = 0;
    GetExitCodeThread(waiter, &result);
    EXPECT_EQ(static_cast<HRESULT>(result), VFW_E_WRONG_STATE);
    CloseHandle(waiter);
    reader->EndFlush();
}

// The type the platform's own file source gives the same file.
GUID PlatformSubtype(const std::wstring& path)
{
    IBaseFilter* source = NULL;
    IFileSourceFilter* file = NULL;
    AM_MEDIA_TYPE type = {};
    CoCreateInstance(CLSID_AsyncReader, NULL, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                     reinterpret_cast<void**>(&source));
    if (source && SUCCEEDED(source->QueryInterface(IID_IFileSourceFilter,
                                                   reinterpret_cast<void**>(&file)))) {
        LPOLESTR name = NULL;
        if (SUCCEEDED(file->Load(path.c_str(), NULL)) && SUCCEEDED(file->GetCurFile(&name, &type)))
            CoTaskMemFree(name);
        file->Release();
    }
    if (source)
        source->Release();
    return type.subtype;
}

GUID OwnSubtype(const std::wstring& path)
{
    MemoryFile* file = NULL;
    IBaseFilter* source = NULL;
    IFileSourceFilter* named = NULL;
    AM_MEDIA_TYPE type = {};
    if (SUCCEEDED(ReadMemoryFile(path.c_str(), &file)) &&
        SUCCEEDED(MemorySourceFilter::Create(file, &source)) &&
        SUCCEEDED(source->QueryInterface(IID_IFileSourceFilter, reinterpret_cast<void**>(&named)))) {
        LPOLESTR name = NULL;
        if (SUCCEEDED(named->GetCurFile(&name, &type))) {
            EXPECT_EQ(std::wstring(name), path);
            CoTaskMemFree(name);
        }
        named->Release();
    }
    if (source)
        source->Release();
    if (file)
        file->Release();
    return type.subtype;
}

TEST(MemorySourceType, IsThePlatformFileSourcesForEachKind)
{
    WriteToneWav("tone.wav", 0.1);
    WriteBytes("frames.mp3", std::string("\xFF\xFB\x90\x64") + std::string(400, '\0'));
    WriteBytes("tagged.dat", std::string("ID3\x03\0\0\0\0\0\0", 10) + std::string(400, '\x55'));
    WriteBytes("tone.ogg", std::string("OggS") + std::string(400, '\x01'));
    WriteBytes("tone.au", std::string(".snd") + std::string(400, '\x02'));
    WriteBytes("noise.bin", std::string(400, '\x7A'));
    for (const char* name : {"tone.wav", "frames.mp3", "tone.ogg", "tone.au", "noise.bin"}) {
        char full[MAX_PATH];
        GetFullPathNameA(name, sizeof full, full, NULL);
        std::wstring path = Wide(full);
        EXPECT_TRUE(IsEqualGUID(OwnSubtype(path), PlatformSubtype(path))) << name;
    }
    EXPECT_TRUE(IsEqualGUID(OwnSubtype(Wide("tone.wav")), MEDIASUBTYPE_WAVE));
    // Wine registers the ID3 pattern with a value one byte shorter than its
    // mask, and its file source compares that byte with uninitialised
    // memory: what it makes of a tagged MP3 by another name varies. Taken
    // here as the pattern means it: the missing byte is zero.
    EXPECT_TRUE(IsEqualGUID(OwnSubtype(Wide("tagged.dat")), MEDIASUBTYPE_MPEG1Audio));
}

TEST(MemorySourceType, CheckBytesNeedEveryTupleAndBytesTheFileHas)
{
    const BYTE bytes[] = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
    EXPECT_TRUE(MatchesCheckBytes(L"0,4,,52494646,8,4,,57415645", bytes, sizeof bytes));
    EXPECT_FALSE(MatchesCheckBytes(L"0,4,,52494646,8,4,,41564920", bytes, sizeof bytes));
    EXPECT_TRUE(MatchesCheckBytes(L"-4,4,,57415645", bytes, sizeof bytes)) << "from the end";
    EXPECT_TRUE(MatchesCheckBytes(L"0,2,F0F0,5040", bytes, sizeof bytes)) << "masked";
    EXPECT_TRUE(MatchesCheckBytes(L"0x8, 0x2, , 5741", bytes, sizeof bytes)) << "hex numbers";
    EXPECT_FALSE(MatchesCheckBytes(L"10,4,,56450000", bytes, sizeof bytes)) << "past the end";
    EXPECT_FALSE(MatchesCheckBytes(L"0,4", bytes, sizeof bytes)) << "malformed";
}

}  // namespace
