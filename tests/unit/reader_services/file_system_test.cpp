#include <gtest/gtest.h>

#include "core/memory_file_system.h"
#include "core/text_encoding.h"

namespace reader {
namespace {

int ErrorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const RaisedError& e) {
        return e.number;
    }
    return 0;
}

TEST(TextReader, ReadsLinesWithoutTheirEnds) {
    struct Case {
        const char* name;
        std::string bytes;
        std::vector<std::wstring> lines;
    } cases[] = {
        {"empty file", "", {}},
        {"CR LF", "a;1\r\nb;2\r\n", {L"a;1", L"b;2"}},
        {"no end on the last line", "a\r\nb", {L"a", L"b"}},
        {"LF alone", "a\nb\n", {L"a", L"b"}},
        {"empty lines", "\r\n\r\nx\r\n", {L"", L"", L"x"}},
        {"single-byte text", "Qt\xE0;3\r\n", {L"Qt\u00e0;3"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        BufferTextReader reader(c.bytes);
        std::vector<std::wstring> lines;
        while (!reader.AtEndOfStream()) lines.push_back(reader.ReadLine());
        EXPECT_EQ(lines, c.lines);
        EXPECT_EQ(ErrorOf([&] { reader.ReadLine(); }), 62);
    }
}

TEST(MemoryFileSystem, OperationsAndTheirErrors) {
    MemoryFileSystem fs;
    EXPECT_FALSE(fs.FolderExists(L"C:\\_Letture"));
    fs.CreateFolder(L"C:\\_Letture");
    EXPECT_TRUE(fs.FolderExists(L"C:\\_Letture"));
    EXPECT_EQ(ErrorOf([&] { fs.CreateFolder(L"C:\\_Letture"); }), 58);
    EXPECT_EQ(ErrorOf([&] { fs.CreateFolder(L"C:\\no\\sub"); }), 76);

    fs.files[L"C:\\_Letture\\a.txt"] = "x\r\n";
    EXPECT_TRUE(fs.FileExists(L"C:\\_Letture\\a.txt"));
    EXPECT_FALSE(fs.FileExists(L"C:\\_Letture"));
    fs.MoveFile(L"C:\\_Letture\\a.txt", L"C:\\_Letture\\b.txt");
    EXPECT_FALSE(fs.FileExists(L"C:\\_Letture\\a.txt"));
    EXPECT_EQ(fs.OpenTextFile(L"C:\\_Letture\\b.txt")->ReadLine(), L"x");
    fs.files[L"C:\\_Letture\\c.txt"] = "";
    EXPECT_EQ(ErrorOf([&] { fs.MoveFile(L"C:\\_Letture\\b.txt", L"C:\\_Letture\\c.txt"); }), 58);
    EXPECT_EQ(ErrorOf([&] { fs.MoveFile(L"C:\\_Letture\\zz.txt", L"C:\\_Letture\\y.txt"); }), 53);
    EXPECT_EQ(ErrorOf([&] { fs.OpenTextFile(L"C:\\_Letture\\zz.txt"); }), 53);

    fs.readOnly.insert(L"C:\\_Letture\\c.txt");
    EXPECT_EQ(ErrorOf([&] { fs.DeleteFile(L"C:\\_Letture\\c.txt"); }), 70);
    EXPECT_TRUE(fs.FileExists(L"C:\\_Letture\\c.txt"));
    fs.DeleteFile(L"C:\\_Letture\\b.txt");
    EXPECT_FALSE(fs.FileExists(L"C:\\_Letture\\b.txt"));
    EXPECT_EQ(ErrorOf([&] { fs.DeleteFile(L"C:\\_Letture\\b.txt"); }), 53);
    EXPECT_EQ(FileSystemError(70).description, L"Permission denied");
}

}  // namespace
}  // namespace reader
