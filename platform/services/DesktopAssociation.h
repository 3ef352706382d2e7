#pragma once
// The desktop side of making the program the handler of a file type: a
// ".desktop" entry in "$XDG_DATA_HOME/applications" (default
// "~/.local/share/applications") and the default application in
// "$XDG_CONFIG_HOME/mimeapps.list" (default "~/.config"). Both folders come
// from the environment of the services object, so tests can redirect them.
#include <string>
#include <vector>

class TDesktopAssociation {
public:
    // `entryName` is the file name of the entry ("tarvold.desktop").
    explicit TDesktopAssociation(std::string entryName) : entryName_(std::move(entryName)) {}

    std::string EntryFileName() const;
    std::string MimeAppsFileName() const;

    // Writes the entry (name, command line with "%f") and makes it the default
    // for the MIME types. Raises EFCreateError when a file cannot be written.
    void Register(const std::string &name, const std::string &exec, const std::vector<std::string> &mimeTypes);
    // Removes the entry and every default that names it; what is missing is skipped.
    void Unregister();
    // One argument of the entry's command line, quoted so that any path reads
    // back as itself (quotes, "$", "`", "\\" and "%" escaped as the format asks).
    static std::string ExecArgument(const std::string &argument);
    // Whether the MIME type's default is this entry.
    bool IsDefaultFor(const std::string &mimeType) const;

private:
    std::string entryName_;
};
