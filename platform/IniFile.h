#pragma once

#include <QString>

// Reads and writes single values of a settings file, the way the Windows
// profile functions read and write their INI files, so that a settings file
// made on Windows (in code page 932) reads the same here:
// - sections and keys are found without regard to case, the first match wins
//   (a section written twice counts as one, in the order of the file);
// - a value comes back cut to 254 bytes of code page 932, never in the middle
//   of a double-byte character, without the quotes around it ("..." or '...');
// - the default comes back, cut the same way, when the key, the section or the
//   file is missing, or the path is empty;
// - a write changes only the one line of the key, or adds the key at the end
//   of its section, or the section and key at the end of the file; every other
//   line stays as it was, byte for byte.
// The program carries one object of it, whose path nobody sets.
class IniFile
{
public:
    // The settings file's path; empty at first. With an empty path nothing is
    // read (every value is the default) and nothing is written.
    QString iniFile() const { return m_iniFile; }
    void setIniFile(const QString &path) { m_iniFile = path; }

    // The value of the key `section` (so named by the profile functions'
    // callers, it names the key) in the section `appName`, or defaultText
    // without its trailing blanks.
    QString GetIni(const QString &appName, const QString &section,
                   const QString &defaultText = QString()) const;

    // Writes text as the value of the key `section` in the section `appName`,
    // creating the file, the section and the key as needed. Returns "" always:
    // whether the write happened is not told. No write happens when the path
    // is empty, when a name or the text cannot be written as one line that
    // reads back the same (a line break anywhere, "=" or a leading "[", ";" or
    // "#" in the key, "]" in the section, an empty name), when code page 932
    // cannot hold the result, when the file is not code page 932 text (or holds
    // a character by a code other than the one writing gives it, or a NUL), or
    // when the system refuses; the file then stays exactly as it was.
    QString SetIni(const QString &appName, const QString &section, const QString &text) const;

private:
    QString m_iniFile;
};
