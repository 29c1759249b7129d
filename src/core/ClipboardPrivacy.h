#pragma once

#include <QString>

// Decides whether a copied text looks like a secret that must not enter the history.
namespace ClipboardPrivacy {

// True for a password, key or token written as name, ':' or '=', value; a one-time or
// verification code; a bare six-digit code; or a payment-card number that passes the Luhn
// check, anywhere in the text and beside other numbers (an expiry, a security code), but not
// as part of a longer grouped number such as an account. Pure and safe to call from any thread.
bool looksSensitive(const QString &text);

} // namespace ClipboardPrivacy
