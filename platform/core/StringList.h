#pragma once
// An ordered list of strings with optional objects, sorted or not, with text in
// CR LF lines and files in code page 932 or UTF-8.
#include <string>
#include <string_view>
#include <vector>

class TObject;

enum class TDuplicates { dupIgnore, dupAccept, dupError };
enum class TTextEncoding { Cp932, Utf8 };

class TStringList {
public:
    TStringList() = default;

    int Count() const { return static_cast<int>(items_.size()); }
    const std::string &Strings(int index) const;
    void SetStrings(int index, const std::string &value);
    const std::string &operator[](int index) const { return Strings(index); }
    TObject *Objects(int index) const;
    void SetObjects(int index, TObject *object);

    // Appends (or, when sorted, inserts in order); returns the index.
    int Add(const std::string &value);
    int AddObject(const std::string &value, TObject *object);
    void Insert(int index, const std::string &value);
    void Delete(int index);
    void Clear();
    void Exchange(int a, int b);
    void Move(int from, int to);
    int IndexOf(std::string_view value) const;
    // Binary search of a sorted list: true and the index when found, else the insert position.
    bool Find(std::string_view value, int &index) const;
    void Sort();

    bool Sorted() const { return sorted_; }
    void SetSorted(bool sorted);
    TDuplicates Duplicates() const { return duplicates_; }
    void SetDuplicates(TDuplicates duplicates) { duplicates_ = duplicates; }
    bool CaseSensitive() const { return caseSensitive_; }
    void SetCaseSensitive(bool caseSensitive);

    // "name=value" lines.
    std::string Names(int index) const;
    std::string Values(std::string_view name) const;
    void SetValues(std::string_view name, const std::string &value);
    int IndexOfName(std::string_view name) const;

    // Every line followed by CR LF.
    std::string Text() const;
    // Splits at CR LF, LF or CR; a final line break adds no empty line.
    void SetText(std::string_view text);

    // Files: the bytes are converted from or to the encoding; lines end in CR LF.
    void LoadFromFile(const std::string &path, TTextEncoding encoding = TTextEncoding::Cp932);
    // Saved atomically: a failure leaves an existing file as it was.
    void SaveToFile(const std::string &path, TTextEncoding encoding = TTextEncoding::Cp932) const;

private:
    struct Item {
        std::string text;
        TObject *object = nullptr;
    };
    int Compare(std::string_view a, std::string_view b) const;
    void CheckIndex(int index) const;
    int InsertSorted(const std::string &value, TObject *object);

    std::vector<Item> items_;
    bool sorted_ = false;
    bool caseSensitive_ = false;
    TDuplicates duplicates_ = TDuplicates::dupIgnore;
};
