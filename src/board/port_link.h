#pragma once

#include <QString>

// Creates or replaces a symbolic link at strLinkPath to strTarget. Returns
// false with strError set.
bool PointLink(const QString& strLinkPath, const QString& strTarget, QString& strError);

// Removes the link at strLinkPath if it is one; a file put there by someone
// else is left alone.
void RemoveLink(const QString& strLinkPath);
