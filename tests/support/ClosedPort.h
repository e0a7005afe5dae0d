#pragma once
// A TCP port on 127.0.0.1 on which nobody listens (bound, then released): a connection to it is
// refused at once, as to a web database server that is not running.
int ClosedPort();
