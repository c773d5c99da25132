// One suite, two file systems: natively the in-memory one, in the Windows build the real one
// (run under Wine). Both must give the same answers and the scripting run time's error numbers.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "contract_platform.h"

namespace reader {
namespace {

// The error an action raised: number and description; {0, ""} when it raised none.
RaisedError ErrorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const RaisedError& error) {
        return error;
    }
    return {0, {}};
}

void ExpectError(const RaisedError& error, std::int32_t number, const wchar_t* description) {
    EXPECT_EQ(error.number, number);
    EXPECT_EQ(error.description, description);
}

std::wstring Upper(std::wstring text) {
    for (wchar_t& c : text) {
        if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
    }
    return text;
}

class FileSystemContract : public ::testing::Test {
  protected:
    void SetUp() override {
        bench_ = MakeFileSystemBench();
        folder_ = bench_->Folder();
    }
    FileSystem& fs() { return bench_->Files(); }
    std::wstring In(const std::wstring& name) const { return folder_ + L"\\" + name; }
    std::vector<std::wstring> Lines(const std::wstring& path) {
        std::vector<std::wstring> lines;
        const std::unique_ptr<TextReader> reader = fs().OpenTextFile(path);
        while (!reader->AtEndOfStream()) lines.push_back(reader->ReadLine());
        return lines;
    }

    std::unique_ptr<FileSystemBench> bench_;
    std::wstring folder_;
};

TEST_F(FileSystemContract, FoldersAndFilesAreFoundAsWindowsFindsThem) {
    bench_->PutFile(In(L"letture.txt"), "x");
    fs().CreateFolder(In(L"sub"));
    struct Case {
        std::wstring path;
        bool folder;
        bool file;
    } cases[] = {
        {folder_, true, false},
        {folder_ + L"\\", true, false},
        {Upper(folder_), true, false},
        {L"C:\\", true, false},
        {In(L"sub"), true, false},
        {In(L"SUB"), true, false},
        {In(L"letture.txt"), false, true},
        {In(L"LETTURE.TXT"), false, true},
        {In(L"missing"), false, false},
        {In(L"missing\\letture.txt"), false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.path.begin(), c.path.end()));
        EXPECT_EQ(fs().FolderExists(c.path), c.folder);
        EXPECT_EQ(fs().FileExists(c.path), c.file);
    }
}

TEST_F(FileSystemContract, CreateFolderMakesOneLevelAndRefusesWhatExists) {
    EXPECT_FALSE(fs().FolderExists(In(L"_Letture")));
    fs().CreateFolder(In(L"_Letture"));
    EXPECT_TRUE(fs().FolderExists(In(L"_Letture")));
    bench_->PutFile(In(L"a.txt"), "");

    ExpectError(ErrorOf([&] { fs().CreateFolder(In(L"_Letture")); }), 58, L"File already exists");
    ExpectError(ErrorOf([&] { fs().CreateFolder(In(L"_LETTURE")); }), 58, L"File already exists");
    ExpectError(ErrorOf([&] { fs().CreateFolder(In(L"a.txt")); }), 58, L"File already exists");
    ExpectError(ErrorOf([&] { fs().CreateFolder(In(L"no\\sub")); }), 76, L"Path not found");
    EXPECT_FALSE(fs().FolderExists(In(L"no")));
}

TEST_F(FileSystemContract, DeleteFileIsNotForced) {
    bench_->PutFile(In(L"up.tmp"), "data");
    bench_->PutFile(In(L"locked.tmp"), "data");
    bench_->SetReadOnly(In(L"locked.tmp"), true);

    fs().DeleteFile(In(L"up.tmp"));
    EXPECT_FALSE(fs().FileExists(In(L"up.tmp")));
    ExpectError(ErrorOf([&] { fs().DeleteFile(In(L"up.tmp")); }), 53, L"File not found");
    ExpectError(ErrorOf([&] { fs().DeleteFile(In(L"locked.tmp")); }), 70, L"Permission denied");
    EXPECT_TRUE(fs().FileExists(In(L"locked.tmp")));
    EXPECT_EQ(Lines(In(L"locked.tmp")), std::vector<std::wstring>{L"data"});

    bench_->SetReadOnly(In(L"locked.tmp"), false);
    fs().DeleteFile(In(L"LOCKED.TMP"));
    EXPECT_FALSE(fs().FileExists(In(L"locked.tmp")));
}

TEST_F(FileSystemContract, MoveFileRenamesInItsFolder) {
    bench_->PutFile(In(L"scarico.txt"), "uno\r\ndue\r\n");
    bench_->PutFile(In(L"taken.txt"), "keep");

    fs().MoveFile(In(L"scarico.txt"), In(L"scarico_1.txt"));
    EXPECT_FALSE(fs().FileExists(In(L"scarico.txt")));
    EXPECT_EQ(Lines(In(L"scarico_1.txt")), (std::vector<std::wstring>{L"uno", L"due"}));

    ExpectError(ErrorOf([&] { fs().MoveFile(In(L"scarico.txt"), In(L"other.txt")); }), 53,
                L"File not found");
    ExpectError(ErrorOf([&] { fs().MoveFile(In(L"scarico_1.txt"), In(L"taken.txt")); }), 58,
                L"File already exists");
    ExpectError(ErrorOf([&] { fs().MoveFile(In(L"scarico_1.txt"), In(L"no\\x.txt")); }), 76,
                L"Path not found");
    EXPECT_EQ(Lines(In(L"scarico_1.txt")), (std::vector<std::wstring>{L"uno", L"due"}));
    EXPECT_EQ(Lines(In(L"taken.txt")), std::vector<std::wstring>{L"keep"});

    // A read-only file can be renamed, and stays read-only.
    bench_->SetReadOnly(In(L"scarico_1.txt"), true);
    fs().MoveFile(In(L"scarico_1.txt"), In(L"scarico_2.txt"));
    EXPECT_TRUE(fs().FileExists(In(L"scarico_2.txt")));
    EXPECT_EQ(ErrorOf([&] { fs().DeleteFile(In(L"scarico_2.txt")); }).number, 70);
    bench_->SetReadOnly(In(L"scarico_2.txt"), false);
}

TEST_F(FileSystemContract, TextIsReadLineByLineWithoutLineEnds) {
    struct Case {
        const char* name;
        std::string bytes;
        std::vector<std::wstring> lines;
    } cases[] = {
        {"empty file", "", {}},
        {"CR LF", "A1;12;7;3\r\nB2;1;1;0,5\r\n", {L"A1;12;7;3", L"B2;1;1;0,5"}},
        {"last line without an end", "a\r\nb", {L"a", L"b"}},
        {"LF alone", "a\nb\n", {L"a", L"b"}},
        {"empty lines", "\r\n\r\nx\r\n", {L"", L"", L"x"}},
        {"single-byte text", "Quantit\xE0;\x80;\xFF\r\n", {L"Quantit\u00e0;\u20ac;\u00ff"}},
        {"tabs and blanks kept", " a\tb \r\n", {L" a\tb "}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        bench_->PutFile(In(L"lines.txt"), c.bytes);
        const std::unique_ptr<TextReader> reader = fs().OpenTextFile(In(L"lines.txt"));
        std::vector<std::wstring> lines;
        while (!reader->AtEndOfStream()) lines.push_back(reader->ReadLine());
        EXPECT_EQ(lines, c.lines);
        ExpectError(ErrorOf([&] { reader->ReadLine(); }), 62, L"Input past end of file");
    }

    // A file larger than any read buffer.
    std::string big;
    for (int n = 0; n < 20000; ++n) big += "ART" + std::to_string(n) + ";1;1;1,5\r\n";
    bench_->PutFile(In(L"big.txt"), big);
    const std::vector<std::wstring> lines = Lines(In(L"big.txt"));
    ASSERT_EQ(lines.size(), 20000u);
    EXPECT_EQ(lines.front(), L"ART0;1;1;1,5");
    EXPECT_EQ(lines.back(), L"ART19999;1;1;1,5");

    ExpectError(ErrorOf([&] { fs().OpenTextFile(In(L"missing.txt")); }), 53, L"File not found");
    ExpectError(ErrorOf([&] { fs().OpenTextFile(In(L"no\\missing.txt")); }), 76, L"Path not found");
}

TEST_F(FileSystemContract, WriteTextFileCreatesOrOverwritesAsSequentialOutputDoes) {
    fs().WriteTextFile(In(L"TEMPFOX.TMP"), "KO\r\n");
    EXPECT_EQ(Lines(In(L"tempfox.tmp")), std::vector<std::wstring>{L"KO"});
    bench_->PutFile(In(L"old.tmp"), "a longer earlier content\r\nand more\r\n");
    fs().WriteTextFile(In(L"old.tmp"), "KO\r\n");
    EXPECT_EQ(Lines(In(L"old.tmp")), std::vector<std::wstring>{L"KO"});

    bench_->SetReadOnly(In(L"old.tmp"), true);
    ExpectError(ErrorOf([&] { fs().WriteTextFile(In(L"old.tmp"), "KO\r\n"); }), 75,
                L"Path/File access error");
    bench_->SetReadOnly(In(L"old.tmp"), false);
    fs().CreateFolder(In(L"dir"));
    ExpectError(ErrorOf([&] { fs().WriteTextFile(In(L"dir"), "KO\r\n"); }), 75,
                L"Path/File access error");
    ExpectError(ErrorOf([&] { fs().WriteTextFile(In(L"no\\TEMPFOX.TMP"), "KO\r\n"); }), 76,
                L"Path not found");
}

}  // namespace
}  // namespace reader
