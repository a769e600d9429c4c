// The virtual printer lands with the communication layer.
namespace quillory::sim {
int SimVersion() {
    return 0;
}
} // namespace quillory::sim
