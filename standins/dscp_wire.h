// What the stand-in library and the stand-in host agree on. One TCP connection per request on
// 127.0.0.1: the client sends the request bytes and shuts down its sending side; the host answers
// and closes the connection, which ends the reply.
#pragma once

// Port of the stand-in host, below the range the system hands out to outgoing connections;
// KARUVEL_DSCP_PORT overrides it for both sides.
#define KARUVEL_DSCP_DEFAULT_PORT 24713
#define KARUVEL_DSCP_PORT_ENV "KARUVEL_DSCP_PORT"
// Milliseconds the library waits for the connection and for the reply; KARUVEL_DSCP_TIMEOUT_MS
// overrides it (tests use a short one).
#define KARUVEL_DSCP_DEFAULT_TIMEOUT_MS 5000
#define KARUVEL_DSCP_TIMEOUT_ENV "KARUVEL_DSCP_TIMEOUT_MS"
// The reply buffer the caller hands in: 20000 zero-filled bytes. The library writes the reply as
// NUL-terminated text in it, so at most 19999 bytes; one that fills all 20000 and leaves no NUL
// breaks that, and the caller reads such a reply to the buffer's end and no further.
#define KARUVEL_DSCP_REPLY_BUFFER 20000
// Result to return after a completed exchange instead of 0 (tests of the caller).
#define KARUVEL_DSCP_FORCE_RESULT_ENV "KARUVEL_DSCP_FORCE_RESULT"
// A folder: a copy of the library loaded from any other folder refuses every request, so a test
// can tell which of several copies answered.
#define KARUVEL_DSCP_ONLY_IN_ENV "KARUVEL_DSCP_ONLY_IN"
