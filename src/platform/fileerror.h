#pragma once
// German reasons for failed file operations, in one place, so that every message the user
// sees names the file and says in German what went wrong ("No such file or directory" from
// the system's own texts never reaches a message box).

#include <QFileDevice>
#include <QString>

// The reason for a system error number (errno), or an empty text for 0 and numbers
// without a German text of their own.
QString SystemErrorText(int systemError);

// The reason for a failed operation on file: the system error number captured right after
// the failing call when there is one, otherwise the device's error kind. Never empty.
QString FileErrorText(const QFileDevice& file, int systemError = 0);
QString FileErrorText(QFileDevice::FileError error, int systemError = 0);
