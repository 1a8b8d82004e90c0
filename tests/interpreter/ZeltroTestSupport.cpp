#include "ZeltroTestSupport.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <random>

namespace zeltro::test {

std::string show(const FFNode* node)
{
    static const std::map<int, std::string> names = {
        {258, ","},   {259, "abs"},  {260, "add"},     {261, "cnv"},  {262, "ctl"},  {263, "dif"},     {264, "get"},
        {265, "put"}, {266, "min"},  {267, "max"},     {268, "mix"},  {269, "rnd"},  {270, "scl"},     {271, "sqr"},
        {272, "src"}, {273, "sub"},  {274, "val"},     {275, "c2d"},  {276, "c2m"},  {277, "rad"},     {278, "r2x"},
        {279, "r2y"}, {280, "sin"},  {281, "cos"},     {282, "tan"},  {283, "map"},  {284, "rst"},     {286, "dst"},
        {287, "i"},   {288, "icnv"}, {289, "srcmode"}, {290, "arad"}, {291, "asrc"}, {292, "storage"}, {293, "frg"},
        {294, "bkg"}, {295, "^"},    {296, "|"},       {297, "&"},    {298, "||"},   {299, "&&"},      {300, "=="},
        {301, "!="},  {302, "<="},   {303, ">="},      {304, "<"},    {305, ">"},    {306, "<<"},      {307, ">>"},
        {308, "neg"}, {309, "pos"},  {310, "!"},       {311, "~"},    {'+', "+"},    {'-', "-"},       {'*', "*"},
        {'/', "/"},   {'%', "%"},    {'?', "?"}};
    if (!node)
        return "null";
    if (node->type == 312)
        return std::to_string(node->value);
    if (node->type == 285)
        return "total";
    if (node->count == 0)
        return std::string(1, static_cast<char>(node->type));
    auto it = names.find(node->type);
    std::string text = it == names.end() ? std::to_string(node->type) : it->second;
    text += "(";
    for (int i = 0; i < node->count; ++i)
        text += (i ? " " : "") + show(node->children[i]);
    return text + ")";
}

TestImage::TestImage(int width, int height, int bpp, unsigned seed)
{
    const int stride = bpp == 4 ? width * 4 : (width * 3 + 3) / 4 * 4;
    source.resize(static_cast<std::size_t>(stride) * height + 8);
    destination.resize(source.size());
    std::mt19937 random(seed);
    for (auto& b : source)
        b = static_cast<uint8_t>(random());
    for (auto& b : destination)
        b = static_cast<uint8_t>(random());
    FFExecRecord& r = m_record;
    r.D = 1024;
    r.X = width;
    r.Y = height;
    r.M = static_cast<int32_t>(std::sqrt(double(width) * width + double(height) * height)) / 2;
    r.centreX = width / 2;
    r.centreY = height / 2;
    r.Z = bpp;
    r.total = 1;
    r.storage = static_cast<int32_t*>(std::calloc(256, 4));
    r.storageSize = 256;
    r.foreground[0] = r.foreground[1] = r.foreground[2] = 255;
    for (int i = 0; i < 8; ++i)
        r.sliders[i] = 10 * i + 5;
    r.source = source.data();
    r.destination = destination.data();
    r.channelOffsets[0] = 2;
    r.channelOffsets[1] = 1;
    r.channelOffsets[2] = 0;
    r.channelOffsets[3] = 3;
    r.bottomUp = 1;
    r.largestColumn = width - 1;
    r.largestRow = height - 1;
    r.stride = stride;
}

TestImage::~TestImage()
{
    std::free(m_record.storage);
}

uint8_t& TestImage::at(int x, int y, int k)
{
    const int offsets[4] = {2, 1, 0, 3};
    return source[static_cast<std::size_t>(m_record.Y - 1 - y) * m_record.stride +
                  static_cast<std::size_t>(x) * m_record.Z + offsets[k]];
}

uint8_t& TestImage::dstAt(int x, int y, int k)
{
    const int offsets[4] = {2, 1, 0, 3};
    return destination[static_cast<std::size_t>(m_record.Y - 1 - y) * m_record.stride +
                       static_cast<std::size_t>(x) * m_record.Z + offsets[k]];
}

FFExecRecord TestImage::cloneRecord() const
{
    FFExecRecord copy = m_record;
    copy.storage = static_cast<int32_t*>(std::calloc(static_cast<std::size_t>(std::max(copy.storageSize, 1)), 4));
    if (m_record.storage && copy.storageSize > 0)
        std::memcpy(copy.storage, m_record.storage, static_cast<std::size_t>(copy.storageSize) * 4);
    return copy;
}

int32_t eval(const std::string& formula, TestImage& image, int x, int y, int z)
{
    int32_t status = -1;
    Tree tree = parse(formula, &status);
    EXPECT_EQ(status, 0) << formula;
    if (!tree)
        return INT32_MIN;
    FFExecRecord& r = image.record();
    r.x = x;
    r.y = y;
    r.z = z;
    FFExecRecord reference = image.cloneRecord();
    FFPrepareExec(&r);
    zeltro_SeedRandom(1);
    reference::seedRandom(1);
    const int32_t value = FFExec(tree.get());
    const int32_t expected = reference::evaluate(tree.get(), reference);
    EXPECT_EQ(value, expected) << formula << " at " << x << "," << y << "," << z;
    std::free(reference.storage);
    return value;
}

}  // namespace zeltro::test
