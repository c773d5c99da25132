// The portable reader logic starts here.
namespace reader {}
