#include "platform/core/StringList.h"

#include "platform/core/Encoding.h"
#include "platform/core/Exceptions.h"
#include "platform/core/SysUtils.h"

#include <algorithm>

int TStringList::Compare(std::string_view a, std::string_view b) const
{
    if (caseSensitive_)
        return a.compare(b);
    return LowerCase(a).compare(LowerCase(b));
}

void TStringList::CheckIndex(int index) const
{
    if (index < 0 || index >= Count())
        throw EListError("List index out of bounds (" + std::to_string(index) + ")");
}

const std::string &TStringList::Strings(int index) const
{
    CheckIndex(index);
    return items_[static_cast<size_t>(index)].text;
}

void TStringList::SetStrings(int index, const std::string &value)
{
    if (sorted_)
        throw EListError("Operation not allowed on sorted list");
    CheckIndex(index);
    items_[static_cast<size_t>(index)].text = value;
}

TObject *TStringList::Objects(int index) const
{
    CheckIndex(index);
    return items_[static_cast<size_t>(index)].object;
}

void TStringList::SetObjects(int index, TObject *object)
{
    CheckIndex(index);
    items_[static_cast<size_t>(index)].object = object;
}

int TStringList::InsertSorted(const std::string &value, TObject *object)
{
    int index;
    if (Find(value, index)) {
        if (duplicates_ == TDuplicates::dupIgnore)
            return index;
        if (duplicates_ == TDuplicates::dupError)
            throw EListError("String list does not allow duplicates");
    }
    items_.insert(items_.begin() + index, Item{value, object});
    return index;
}

int TStringList::Add(const std::string &value)
{
    return AddObject(value, nullptr);
}

int TStringList::AddObject(const std::string &value, TObject *object)
{
    if (sorted_)
        return InsertSorted(value, object);
    items_.push_back(Item{value, object});
    return Count() - 1;
}

void TStringList::Insert(int index, const std::string &value)
{
    if (sorted_)
        throw EListError("Operation not allowed on sorted list");
    if (index < 0 || index > Count())
        throw EListError("List index out of bounds (" + std::to_string(index) + ")");
    items_.insert(items_.begin() + index, Item{value, nullptr});
}

void TStringList::Delete(int index)
{
    CheckIndex(index);
    items_.erase(items_.begin() + index);
}

void TStringList::Clear()
{
    items_.clear();
}

void TStringList::Exchange(int a, int b)
{
    CheckIndex(a);
    CheckIndex(b);
    std::swap(items_[static_cast<size_t>(a)], items_[static_cast<size_t>(b)]);
}

void TStringList::Move(int from, int to)
{
    CheckIndex(from);
    CheckIndex(to);
    Item item = items_[static_cast<size_t>(from)];
    items_.erase(items_.begin() + from);
    items_.insert(items_.begin() + to, item);
}

int TStringList::IndexOf(std::string_view value) const
{
    if (sorted_) {
        int index;
        return Find(value, index) ? index : -1;
    }
    for (int i = 0; i < Count(); ++i)
        if (Compare(items_[static_cast<size_t>(i)].text, value) == 0)
            return i;
    return -1;
}

bool TStringList::Find(std::string_view value, int &index) const
{
    int low = 0, high = Count() - 1;
    bool found = false;
    while (low <= high) {
        int mid = (low + high) / 2;
        int c = Compare(items_[static_cast<size_t>(mid)].text, value);
        if (c < 0) {
            low = mid + 1;
        } else {
            high = mid - 1;
            if (c == 0) {
                found = true;
                if (duplicates_ != TDuplicates::dupAccept)
                    low = mid;
            }
        }
    }
    index = low;
    return found;
}

void TStringList::Sort()
{
    std::stable_sort(items_.begin(), items_.end(),
                     [this](const Item &a, const Item &b) { return Compare(a.text, b.text) < 0; });
}

void TStringList::SetSorted(bool sorted)
{
    if (sorted && !sorted_)
        Sort();
    sorted_ = sorted;
}

void TStringList::SetCaseSensitive(bool caseSensitive)
{
    caseSensitive_ = caseSensitive;
    if (sorted_)
        Sort();
}

std::string TStringList::Names(int index) const
{
    const std::string &line = Strings(index);
    size_t eq = line.find('=');
    return eq == std::string::npos ? std::string() : line.substr(0, eq);
}

int TStringList::IndexOfName(std::string_view name) const
{
    for (int i = 0; i < Count(); ++i) {
        const std::string &line = items_[static_cast<size_t>(i)].text;
        size_t eq = line.find('=');
        if (eq != std::string::npos && Compare(std::string_view(line).substr(0, eq), name) == 0)
            return i;
    }
    return -1;
}

std::string TStringList::Values(std::string_view name) const
{
    int i = IndexOfName(name);
    if (i < 0)
        return std::string();
    const std::string &line = items_[static_cast<size_t>(i)].text;
    return line.substr(line.find('=') + 1);
}

void TStringList::SetValues(std::string_view name, const std::string &value)
{
    int i = IndexOfName(name);
    if (value.empty()) {
        if (i >= 0)
            Delete(i);
        return;
    }
    std::string line = std::string(name) + "=" + value;
    if (i < 0)
        Add(line);
    else
        items_[static_cast<size_t>(i)].text = line;
}

std::string TStringList::Text() const
{
    std::string text;
    for (const Item &item : items_) {
        text += item.text;
        text += "\r\n";
    }
    return text;
}

void TStringList::SetText(std::string_view text)
{
    Clear();
    size_t i = 0;
    while (i < text.size()) {
        size_t end = text.find_first_of("\r\n", i);
        if (end == std::string_view::npos) {
            Add(std::string(text.substr(i)));
            break;
        }
        Add(std::string(text.substr(i, end - i)));
        i = end + 1;
        if (text[end] == '\r' && i < text.size() && text[i] == '\n')
            ++i;
    }
}

void TStringList::LoadFromFile(const std::string &path, TTextEncoding encoding)
{
    std::string bytes = ReadFileBytes(path);
    if (encoding == TTextEncoding::Cp932) {
        SetText(Cp932ToUtf8(bytes));
    } else {
        if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0)
            bytes.erase(0, 3);
        SetText(bytes);
    }
}

void TStringList::SaveToFile(const std::string &path, TTextEncoding encoding) const
{
    std::string text = Text();
    WriteFileAtomically(path, encoding == TTextEncoding::Cp932 ? Utf8ToCp932(text) : text);
}
