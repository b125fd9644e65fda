#pragma once

#include <QByteArrayView>
#include <QString>

// While a file is rewritten in place (see replaceFileContents), a complete
// copy of its old contents is kept in a folder of the user's own, so that a
// crash half-way through never loses them: the file's own folder is often
// the reason it is rewritten in place, since it may not be writable. The
// copy is named after the file's path, every "/" turned into "%" (a "%" or
// "\" of the path itself gets a "\" before it), followed by a dot and the
// first 16 hexadecimal digits of the SHA-256 of the contents being written;
// `/etc/app.ini` → `%etc%app.ini.0123456789abcdef`. The write removes it
// once the new contents are on disk, so a copy found there is the file as it
// was before a write that never finished.

// The folder: larkspur/old-contents in the user's data folder
// (~/.local/share unless XDG_DATA_HOME says otherwise), 0700 since its
// names tell which files were written.
QString oldContentsFolder();

// Saves `old`, the current contents of the file `target` (a resolved path),
// before it is rewritten in place with `written`, and flushes the copy to
// disk. Returns the copy's path. Throws AppError, leaving no file behind,
// when the copy cannot be made: the file must then not be touched.
QString saveOldContents(const QString &target, QByteArrayView old, QByteArrayView written);

// Removes what interrupted writes left of `target`'s copies: half-saved
// copies, and copies the file no longer needs because it holds either the
// copy's contents (the write never started) or the contents that write was
// writing (it finished). Any other copy is the only whole version of an
// interrupted write: it stays, and a warning names it.
void removeNeedlessOldContents(const QString &target);
