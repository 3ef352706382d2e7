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
    // for the MIME types: it goes first in each type's list of defaults, and
    // the entries that were there stay behind it (once: a second call adds
    // nothing). Raises EFCreateError when a file cannot be written.
    void Register(const std::string &name, const std::string &exec, const std::vector<std::string> &mimeTypes);
    // Removes the entry and takes it out of every list of defaults, so that
    // what was there before it is the default again, byte for byte; a list of
    // this entry alone goes with its line. What is missing is skipped.
    void Unregister();
    // One argument of the entry's command line: a path without blanks or
    // characters the format reserves as it is, any other quoted so that it
    // reads back as itself (quotes, "$", "`", "\\" and "%" escaped as the
    // format asks).
    static std::string ExecArgument(const std::string &argument);
    // Whether this entry is the first in the MIME type's list of defaults.
    bool IsDefaultFor(const std::string &mimeType) const;

private:
    std::string entryName_;
};
