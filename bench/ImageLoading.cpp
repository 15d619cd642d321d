// Loading a 1024 x 1024 RGBA PNG from disk into pixels through ImageLoader,
// against a bare libpng read loop of the same file in the same run.

#include "ImageLoader.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <png.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace
{
constexpr int SIDE = 1024;

// A picture with gradients and some noise, so it compresses like a real texture.
std::string const& getPicturePath()
{
    static std::string const path = [] {
        std::string const file = "/tmp/quillet_bench_" + std::to_string(getpid()) + ".png";
        FILE* const out = fopen(file.c_str(), "wb");
        png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, NULL, NULL, NULL);
        png_infop info = png_create_info_struct(png);
        png_init_io(png, out);
        png_set_IHDR(png, info, SIDE, SIDE, 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                     PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        std::vector<unsigned char> row(SIDE * 4);
        unsigned seed = 12345;
        for (int y = 0; y < SIDE; ++y)
        {
            for (int x = 0; x < SIDE; ++x)
            {
                seed = seed * 1103515245u + 12345u;
                row[x * 4] = (unsigned char)(x / 4);
                row[x * 4 + 1] = (unsigned char)(y / 4);
                row[x * 4 + 2] = (unsigned char)((x + y) / 8 + (seed >> 28));
                row[x * 4 + 3] = 255;
            }
            png_write_row(png, row.data());
        }
        png_write_end(png, NULL);
        png_destroy_write_struct(&png, &info);
        fclose(out);
        return file;
    }();
    return path;
}

void BM_ImageLoaderPng(benchmark::State& state)
{
    std::string const& path = getPicturePath();
    for (auto _ : state)
    {
        int width = 0;
        int height = 0;
        bool alpha = false;
        unsigned char* const pixels = ImageLoader::loadImage(path.c_str(), width, height, alpha, false);
        benchmark::DoNotOptimize(pixels);
        delete[] pixels;
    }
}

void BM_BareLibpngRead(benchmark::State& state)
{
    std::string const& path = getPicturePath();
    for (auto _ : state)
    {
        FILE* const in = fopen(path.c_str(), "rb");
        png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, NULL, NULL, NULL);
        png_infop info = png_create_info_struct(png);
        png_init_io(png, in);
        png_read_info(png, info);
        size_t const rowBytes = png_get_rowbytes(png, info);
        int const height = int(png_get_image_height(png, info));
        unsigned char* const pixels = new unsigned char[rowBytes * height];
        std::vector<png_bytep> rows(height);
        for (int y = 0; y < height; ++y)
            rows[y] = pixels + rowBytes * y;
        png_read_image(png, rows.data());
        png_destroy_read_struct(&png, &info, NULL);
        fclose(in);
        benchmark::DoNotOptimize(pixels);
        delete[] pixels;
    }
}
}

BENCHMARK(BM_BareLibpngRead)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_ImageLoaderPng)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    unlink(getPicturePath().c_str());
    return 0;
}
