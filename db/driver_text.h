// How text reaches a driver and comes back. Drivers with wide entry points get the worksheet's
// UTF-16 as it is. A driver with only 8-bit entry points (SQLite's on Linux, for one) is served by
// the driver manager, which turns each UTF-16 unit into one Latin-1 byte and back: the driver's
// UTF-8 would arrive as one character per byte, and anything beyond Latin-1 could not be sent.
// For such a connection, text is sent as its UTF-8 bytes, one unit per byte, which the manager
// passes through unchanged, and what comes back is read as the UTF-8 it is.
#pragma once

#include <string_view>

#include "db/driver_family.h"
#include "db/odbc_api.h"
#include "xll/traits.h"

namespace db {

class DriverText {
public:
    DriverText() = default;

    // How the manager will carry the text of the driver a connection string names, known before
    // connecting so that the connection string itself goes the right way: through the manager's
    // narrowing, a non-ASCII file name would open (and create) another file (platform file).
    static DriverText before_connecting(SQLHENV environment, xll::xstring_view connection_string);
    // Asks a connected connection how the manager carries its text; the engine it reaches is its
    // family's.
    static DriverText probe(SQLHDBC connection, DatabaseEngine engine);
    // A connection whose text travels as UTF-8 bytes in Latin-1 units.
    static DriverText bytes_as_units()
    {
        DriverText t;
        t.bytes_as_units_ = true;
        return t;
    }

    bool transcoded() const { return bytes_as_units_; }
    // Whether the driver's 8-bit text of a value is its UTF-8: an 8-bit driver's always; a wide
    // driver's where the connection read a sample back so (psqlODBC and MariaDB's connector hand
    // the server's UTF-8 on Linux; on Windows a driver narrows to the system's code page, whose
    // best fit would turn an "a" with a macron into "a").
    bool narrow_is_utf8() const { return bytes_as_units_ || narrow_utf8_; }
    DatabaseEngine engine() const { return engine_; }

    // The text to hand the wide entry points, always well-formed and without a NUL (each
    // becomes U+FFFD): drivers differ on what an unpaired surrogate does to the units after it.
    xll::xstring outgoing(xll::xstring_view text) const;
    // The worksheet text of what a wide entry point returned: the view itself when nothing
    // changes, else a view of scratch. Bytes that are not UTF-8 keep their Latin-1 reading.
    xll::xstring_view incoming(xll::xstring_view text, xll::xstring& scratch, bool cut = false) const;

    // Holds the calling thread, while it lives, in the locale whose narrowing the bytes road counts
    // on (platform file); a connection handle is allocated under it. unixODBC fixes how it narrows
    // a wide call's text for an 8-bit driver from the thread's LC_CTYPE when the handle is
    // allocated, and psqlODBC sets the process's from the environment on every connect: under a
    // UTF-8 one, the manager would encode each byte of the road once more, and "Müller" would be
    // written to the database as "MÃ¼ller".
    class Narrowing {
    public:
        Narrowing();
        Narrowing(const Narrowing&) = delete;
        Narrowing& operator=(const Narrowing&) = delete;
        ~Narrowing();

    private:
        void* previous_ = nullptr;
    };

    // Worksheet text of a driver's 8-bit text: UTF-8 when it is, otherwise one character per byte.
    // When the text was cut to a buffer, a character cut in half at its end is dropped.
    static void decode_bytes(std::string_view bytes, xll::xstring& out, bool cut = false);

    // The value of a keyword of a connection string, as the driver manager reads it: keywords in
    // any case, values in braces or not; empty when absent.
    static xll::xstring attribute(xll::xstring_view connection_string, std::string_view keyword);

private:
    // Whether the manager narrows this connection's UTF-16 to Latin-1 bytes (platform file).
    static bool manager_narrows(SQLHDBC connection);

    // Reads one sample text as 8-bit text and as UTF-16: true when the first is the second's UTF-8.
    static bool reads_narrow_as_utf8(SQLHDBC connection);

    bool bytes_as_units_ = false;
    bool narrow_utf8_ = false;
    DatabaseEngine engine_ = DatabaseEngine::other;
};

} // namespace db
