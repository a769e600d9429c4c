#pragma once

namespace quillory::test {

// The end of a test program under the address sanitizer, called by main once the tests and the
// application object are gone. Qt lets a finished thread go before the thread has quite ended:
// it still holds its thread data until its last steps run. A leak check that runs while such a
// thread waits for the processor (a loaded machine, the process exiting just after a virtual
// printer stopped) can count that data as lost. So this waits, at most a second, until no other
// thread of the process is still running, and then checks for leaks at once, before the static
// objects of the libraries are torn down and their threads end in turn. Does nothing in other
// builds.
void CheckLeaksAtEnd();

} // namespace quillory::test
