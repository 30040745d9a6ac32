// Opening and reading files by name: Korean names, a path past Windows'
// 260 characters, relative paths, and the errno value of each refusal, which
// the modules turn into the OSError subclass Python's open() raises. Run on
// Linux and, cross-compiled, under Wine (scripts/cross.sh).
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "brindle/byte_source.h"

#if defined(_WIN32)
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#endif

namespace brindle {
namespace {

namespace fs = std::filesystem;

fs::path utf8_path(std::string_view text) { return fs::path(std::u8string(text.begin(), text.end())); }

std::string utf8_of(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

class ByteSourceFiles : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string name =
            std::string("brindle-files-") + ::testing::UnitTest::GetInstance()->current_test_info()->name();
        folder_ = fs::absolute(fs::temp_directory_path() / name);
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }

    // The C++ library of MinGW cannot walk a folder deeper than 260
    // characters, so each file and folder made is removed by name, the
    // deepest first, in the long form Windows takes for such names.
    void TearDown() override {
        std::sort(made_.begin(), made_.end(),
                  [](const fs::path& a, const fs::path& b) { return a.native().size() > b.native().size(); });
        for (const fs::path& path : made_) {
#if defined(_WIN32)
            fs::remove(fs::path(L"\\\\?\\" + path.wstring()));
#else
            fs::remove(path);
#endif
        }
        fs::remove_all(folder_);
    }

    // A file of `size` bytes (0, 1, 2, ... mod 251) at `path`, below folder_.
    void write(const fs::path& path, std::size_t size) {
        for (fs::path at = path; at != folder_ && at.has_relative_path(); at = at.parent_path()) {
            if (std::find(made_.begin(), made_.end(), at) == made_.end()) made_.push_back(at);
        }
        fs::create_directories(path.parent_path());
        std::ofstream out(path, std::ios::binary);
        for (std::size_t i = 0; i < size; ++i) out.put(static_cast<char>(i % 251));
    }

    static void expect_contents(std::string_view path, std::size_t size) {
        Result<ByteSource> source = ByteSource::open_file(path);
        ASSERT_TRUE(source.ok()) << path << ": " << source.error().message();
        ASSERT_EQ(source.value().size(), size);
        ByteBuffer tail(3);
        ASSERT_FALSE(source.value().read(size - 3, tail, "the tail").has_value());
        EXPECT_EQ(tail,
                  (ByteBuffer{static_cast<std::uint8_t>((size - 3) % 251), static_cast<std::uint8_t>((size - 2) % 251),
                              static_cast<std::uint8_t>((size - 1) % 251)}));
        EXPECT_TRUE(source.value().read(size - 2, tail, "the tail").has_value());  // one byte past the end
    }

    static int os_code_of(std::string_view path) {
        Result<ByteSource> source = ByteSource::open_file(path);
        return source.ok() ? 0 : source.error().os_code();
    }

    fs::path folder_;
    std::vector<fs::path> made_;
};

TEST_F(ByteSourceFiles, KoreanLongAndRelativeNamesOpenWhateverTheCodePage) {
    // Small files are read whole at open, large ones at offsets: both ways.
    for (const std::size_t size : {std::size_t{100}, std::size_t{ByteSource::WHOLE_FILE_READ + 1000}}) {
        const fs::path korean = folder_ / utf8_path("한글 폴더") / utf8_path("공고문 " + std::to_string(size) + ".hwp");
        write(korean, size);
        expect_contents(utf8_of(korean), size);

        // Past 260 characters, Windows' old limit on a path.
        fs::path deep = folder_;
        while (deep.native().size() < 300) deep /= utf8_path("가나다라마바사아자차카타파하");
        const fs::path long_path = deep / utf8_path("긴 경로 " + std::to_string(size) + ".hwpx");
        write(long_path, size);
        ASSERT_GT(long_path.native().size(), 260u);
        expect_contents(utf8_of(long_path), size);

        // Relative to the working folder, with either separator on Windows.
        const fs::path before = fs::current_path();
        fs::current_path(folder_);
        expect_contents("한글 폴더/공고문 " + std::to_string(size) + ".hwp", size);
        fs::current_path(before);
    }
}

TEST_F(ByteSourceFiles, EachRefusalCarriesTheErrnoPythonsOpenGives) {
    EXPECT_EQ(os_code_of(utf8_of(folder_ / utf8_path("없는 파일.hwp"))), ENOENT);
    EXPECT_EQ(os_code_of(utf8_of(folder_ / "missing-folder" / "x.hwp")), ENOENT);
    EXPECT_EQ(os_code_of(""), ENOENT);
    EXPECT_EQ(os_code_of(utf8_of(folder_)), EISDIR);
    const std::string with_nul = utf8_of(folder_ / "a") + std::string(1, '\0') + "b";
    EXPECT_EQ(os_code_of(with_nul), EINVAL);
    // An error's message names the system's text and code.
    Result<ByteSource> missing = ByteSource::open_file(utf8_of(folder_ / "missing.hwp"));
    ASSERT_FALSE(missing.ok());
    EXPECT_NE(missing.error().message().find("(os error " + std::to_string(ENOENT) + ")"), std::string::npos)
        << missing.error().message();
}

#if defined(_WIN32)
TEST_F(ByteSourceFiles, WindowsLockedFilesBadUtf8AndDevices) {
    const fs::path path = folder_ / utf8_path("잠긴 파일.hwp");
    write(path, 10);
    // Another program holding the file with no sharing: a sharing violation,
    // PermissionError in Python.
    HANDLE held = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(os_code_of(utf8_of(path)), EACCES);
    ::CloseHandle(held);
    expect_contents(utf8_of(path), 10);

    // A name in UTF-8 with a lone surrogate (Python's surrogatepass) opens
    // the file so named; bytes that are no UTF-8 are an invalid argument.
    const std::wstring surrogate_name = path.parent_path().wstring() + L"\\x\xD800y.hwp";
    HANDLE created =
        ::CreateFileW(surrogate_name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (created != INVALID_HANDLE_VALUE) {  // a file system may refuse such a name
        const char bytes[5] = {1, 2, 3, 4, 5};
        DWORD written = 0;
        ::WriteFile(created, bytes, 5, &written, nullptr);
        ::CloseHandle(created);
        Result<ByteSource> source = ByteSource::open_file(utf8_of(path.parent_path()) + "\\x\xED\xA0\x80y.hwp");
        ASSERT_TRUE(source.ok()) << source.error().message();
        EXPECT_EQ(source.value().size(), 5u);
        ::DeleteFileW(surrogate_name.c_str());
    }
    EXPECT_EQ(os_code_of(utf8_of(folder_) + "\\\xFF\xFE.hwp"), EINVAL);
    // Whatever the file system makes of such names, the encoded surrogate is
    // read as one (the file is missing, not the name invalid) and a cut one is not.
    EXPECT_EQ(os_code_of(utf8_of(folder_) + "\\gone\xED\xB0\x80.hwp"), ENOENT);
    EXPECT_EQ(os_code_of(utf8_of(folder_) + "\\cut\xED\xA0.hwp"), EINVAL);

    // A device is no regular file.
    Result<ByteSource> device = ByteSource::open_file("NUL");
    ASSERT_FALSE(device.ok());
    EXPECT_EQ(device.error().cause(), HwpError::Cause::NotARegularFile);
}
#endif

}  // namespace
}  // namespace brindle
