#pragma once

#include <QByteArray>

// Gives the new file `to` the extended attributes of the old one `from`
// (-1 for none): its ACL, its security label, its user attributes, all this
// process may read. An ACL that the folder's default ACL gave the new file
// goes when the old one had none, so that the mode says again who may read
// it. Returns the errno of an attribute that could not be given, 0 when all
// were.
// `name` is the file's path, for the warning that says why.
int copyAttributes(int from, int to, const QByteArray &name);
