// Host files: dispositions, reads and writes (also overlapped), size, deletion and mappings.
#include <cstring>
#include <string>

#include "ConformanceTest.h"
#include "os/Handles.h"

namespace conformance {
namespace {

CONFORMANCE_SUITE(FileConformance);

constexpr DWORD kReadWrite = GENERIC_READ | GENERIC_WRITE;

HANDLE openFile(const std::string& path, DWORD access, DWORD disposition, DWORD flags = 0) {
  return os::CreateFileA(path.c_str(), access, FILE_SHARE_READ, nullptr, disposition,
                         flags | FILE_ATTRIBUTE_NORMAL, nullptr);
}

DWORD lastError() { return os::GetLastError(); }

TEST_P(FileConformance, DispositionsDecideWhetherAFileMayExist) {
  std::string path = scratchPath("dispositions.bin");
  os::UniqueHandle created(openFile(path, kReadWrite, CREATE_NEW));
  ASSERT_TRUE(created);
  created.reset();
  EXPECT_EQ(openFile(path, kReadWrite, CREATE_NEW), INVALID_HANDLE_VALUE);
  EXPECT_EQ(lastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));

  os::UniqueHandle reopened(openFile(path, kReadWrite, OPEN_ALWAYS));
  ASSERT_TRUE(reopened);
  EXPECT_EQ(lastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
}

TEST_P(FileConformance, MissingFilesAndDirectoriesAreToldApart) {
  EXPECT_EQ(openFile(scratchPath("absent.bin"), GENERIC_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(lastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(openFile(scratchPath("absent/file.bin"), GENERIC_READ, OPEN_EXISTING),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(lastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

TEST_P(FileConformance, CreateAlwaysEmptiesAnExistingFile) {
  std::string path = scratchPath("replaced.bin");
  writeFile(path, "old content");
  os::UniqueHandle file(openFile(path, kReadWrite, CREATE_ALWAYS));
  ASSERT_TRUE(file);
  EXPECT_EQ(lastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  EXPECT_EQ(os::GetFileSize(file.get(), nullptr), 0u);
}

TEST_P(FileConformance, WrittenBytesReadBackAndSetTheSize) {
  std::string path = scratchPath("data.bin");
  std::string content(70000, '\0');
  for (size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 7);
  writeFile(path, content);

  os::UniqueHandle file(openFile(path, GENERIC_READ, OPEN_EXISTING));
  ASSERT_TRUE(file);
  DWORD high = 99;
  EXPECT_EQ(os::GetFileSize(file.get(), &high), 70000u);
  EXPECT_EQ(high, 0u);
  std::string back(content.size(), '\0');
  DWORD read = 0;
  ASSERT_TRUE(os::ReadFile(file.get(), back.data(), 70000, &read, nullptr));
  EXPECT_EQ(read, 70000u);
  EXPECT_EQ(back, content);
  // At the end a synchronous read succeeds with nothing.
  EXPECT_TRUE(os::ReadFile(file.get(), back.data(), 10, &read, nullptr));
  EXPECT_EQ(read, 0u);
}

TEST_P(FileConformance, ReadingNeedsReadAccess) {
  os::UniqueHandle file(openFile(scratchPath("write-only.bin"), GENERIC_WRITE, CREATE_ALWAYS));
  ASSERT_TRUE(file);
  char byte = 0;
  DWORD read = 0;
  EXPECT_FALSE(os::ReadFile(file.get(), &byte, 1, &read, nullptr));
  EXPECT_EQ(lastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

// An overlapped read of count bytes at offset, finished whether it completed at once or was
// pending first.
struct OverlappedRead {
  OverlappedRead(const std::string& path, DWORD offset, DWORD count)
      : file(openFile(path, GENERIC_READ, OPEN_EXISTING, FILE_FLAG_OVERLAPPED)),
        event(os::CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
    overlapped.Offset = offset;
    overlapped.hEvent = event.get();
    BOOL started = os::ReadFile(file.get(), buffer, count, nullptr, &overlapped);
    finished = (started || os::GetLastError() == ERROR_IO_PENDING) &&
               os::GetOverlappedResult(file.get(), &overlapped, &read, TRUE);
    error = finished ? ERROR_SUCCESS : os::GetLastError();
  }

  os::UniqueHandle file;
  os::UniqueHandle event;
  OVERLAPPED overlapped{};
  char buffer[16] = {};
  DWORD read = 0;
  bool finished = false;
  DWORD error = ERROR_SUCCESS;
};

TEST_P(FileConformance, OverlappedReadCompletesThroughItsOverlapped) {
  std::string path = scratchPath("overlapped.bin");
  writeFile(path, "0123456789");
  OverlappedRead request(path, 4, 4);
  ASSERT_TRUE(request.finished) << request.error;
  EXPECT_EQ(request.read, 4u);
  EXPECT_EQ(std::string(request.buffer, 4), "4567");
  EXPECT_TRUE(HasOverlappedIoCompleted(&request.overlapped));
  EXPECT_EQ(request.overlapped.InternalHigh, 4u);
  EXPECT_EQ(os::WaitForSingleObject(request.event.get(), 0), WAIT_OBJECT_0);
  // Asking again without waiting gives the same outcome.
  DWORD read = 0;
  EXPECT_TRUE(os::GetOverlappedResult(request.file.get(), &request.overlapped, &read, FALSE));
  EXPECT_EQ(read, 4u);
  EXPECT_TRUE(os::CancelIo(request.file.get()));  // nothing left to cancel
}

TEST_P(FileConformance, OverlappedReadPastTheEndReportsEndOfFile) {
  std::string path = scratchPath("short.bin");
  writeFile(path, "abc");
  OverlappedRead request(path, 10, 4);
  EXPECT_FALSE(request.finished);
  EXPECT_EQ(request.error, static_cast<DWORD>(ERROR_HANDLE_EOF));
}

TEST_P(FileConformance, DeletedFilesAreGone) {
  std::string path = scratchPath("deleted.bin");
  writeFile(path, "x");
  EXPECT_TRUE(os::DeleteFileA(path.c_str()));
  EXPECT_EQ(openFile(path, GENERIC_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_FALSE(os::DeleteFileA(path.c_str()));
  EXPECT_EQ(lastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_P(FileConformance, ReadOnlyMappingShowsTheWholeFile) {
  std::string path = scratchPath("mapped.bin");
  std::string content(100000, 'm');
  content.replace(99990, 10, "-the end-!");
  writeFile(path, content);
  os::UniqueHandle file(openFile(path, GENERIC_READ, OPEN_EXISTING));
  ASSERT_TRUE(file);
  os::UniqueHandle mapping(
      os::CreateFileMappingA(file.get(), nullptr, PAGE_READONLY | SEC_COMMIT, 0, 0, nullptr));
  ASSERT_NE(mapping.get(), nullptr) << os::GetLastError();
  os::UniqueMappedView view(os::MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, 0));
  ASSERT_TRUE(view) << os::GetLastError();
  // The view outlives the handles it was made from.
  mapping.reset();
  file.reset();
  EXPECT_EQ(std::memcmp(view.get(), content.data(), content.size()), 0);
}

TEST_P(FileConformance, AnEmptyFileCannotBeMapped) {
  std::string path = scratchPath("empty.bin");
  writeFile(path, "");
  os::UniqueHandle file(openFile(path, GENERIC_READ, OPEN_EXISTING));
  ASSERT_TRUE(file);
  EXPECT_EQ(os::CreateFileMappingA(file.get(), nullptr, PAGE_READONLY, 0, 0, nullptr), nullptr);
  EXPECT_EQ(lastError(), static_cast<DWORD>(ERROR_FILE_INVALID));
}

TEST_P(FileConformance, ViewsStartAtTheAllocationGranularity) {
  std::string path = scratchPath("aligned.bin");
  writeFile(path, std::string(70000, 'a'));
  os::UniqueHandle file(openFile(path, GENERIC_READ, OPEN_EXISTING));
  os::UniqueHandle mapping(os::CreateFileMappingA(file.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
  ASSERT_NE(mapping.get(), nullptr);
  EXPECT_EQ(os::MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 4096, 0), nullptr);
  EXPECT_EQ(lastError(), static_cast<DWORD>(ERROR_MAPPED_ALIGNMENT));
  os::UniqueMappedView tail(os::MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 65536, 0));
  ASSERT_TRUE(tail);
  EXPECT_EQ(static_cast<const char*>(tail.get())[70000 - 65536 - 1], 'a');
}

// A file sent a window at a time: each view shows its own part of the file, as long as asked,
// several at once or one after the other; none reaches past the mapping's end.
TEST_P(FileConformance, ViewsOfAPartShowThatPartOfTheFile) {
  std::string path = scratchPath("windows.bin");
  std::string content(300000, '\0');
  for (size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 7 + i / 65536);
  writeFile(path, content);
  os::UniqueHandle file(openFile(path, GENERIC_READ, OPEN_EXISTING));
  os::UniqueHandle mapping(
      os::CreateFileMappingA(file.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
  ASSERT_NE(mapping.get(), nullptr);
  os::UniqueMappedView first(os::MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 65536, 70000));
  os::UniqueMappedView last(os::MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 262144, 37856));
  ASSERT_TRUE(first && last) << lastError();
  EXPECT_EQ(std::memcmp(first.get(), content.data() + 65536, 70000), 0);
  EXPECT_EQ(std::memcmp(last.get(), content.data() + 262144, 37856), 0);
  first.reset();
  first.reset(os::MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 131072, 131072));
  ASSERT_TRUE(first) << lastError();
  EXPECT_EQ(std::memcmp(first.get(), content.data() + 131072, 131072), 0);
  EXPECT_EQ(os::MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 262144, 37857), nullptr);
  EXPECT_EQ(os::MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 327680, 1), nullptr);
}

}  // namespace
}  // namespace conformance
